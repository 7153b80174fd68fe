// Tests of the replies: the worked examples, cube counts and their order, and the reply limits.
#include "orvod/answer.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/orvod/labeller_fixture.hpp"

namespace orvod {
namespace {

using Answers = fixture::LabellerTest;

TEST_F(Answers, GiveTheWorkedExamplesExactly) {
  const std::pair<std::string, std::string> cases[] = {
      {"2,6,7,8", "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R"},
      {"1,6,7,8", "Right,Nucleus,Caudate,N_Caudate-5"},
      {"2,5,6,7", "Right Cerebrum,Sub-lobar,None,Cerebro-Spinal Fluid,None"},
      {"1,5,6,7", "* No Quendel label at Talairach 5,6,7"},
      {"3:3,5,6,7",
       "18:Right Cerebrum,Sub-lobar,None,Cerebro-Spinal Fluid,None:"
       "5:Right Cerebrum,Sub-lobar,None,Gray Matter,None:"
       "4:Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R:"},
      {"2,-40,-20,50", "Left Cerebrum,Frontal Lobe,Precentral,Gray Matter,Precentral_L"},
      {"1,-40,-20,50", "Left,Sulcus,Rolando,S_Rolando-2"},
      {"3:5,-40,-20,50",
       "88:Left Cerebrum,Frontal Lobe,Precentral,Gray Matter,Precentral_L:"
       "37:Left Cerebrum,Parietal Lobe,Postcentral,Gray Matter,Postcentral_L:"},
      {"2,16,5,12",
       "Right Cerebrum,Sub-lobar,Internal Capsule,White "
       "Matter,Anterior_limb_of_internal_capsule_R"},
      // The white-matter atlas's header is corrected, so each side names its own tract.
      {"2,-16,5,12",
       "Left Cerebrum,Sub-lobar,Internal Capsule,White "
       "Matter,Anterior_limb_of_internal_capsule_L"},
      {"2,30,-60,-30",
       "Right Cerebellum,Posterior Lobe,Cerebelum Crus1,Gray Matter,Cerebelum_Crus1_R"},
      {"2,0,-60,-20", "Midline Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6"},
      {"3:3,0,-60,-20",
       "9:Left Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6:"
       "9:Midline Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6:"
       "9:Right Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6:"},
      {"1,0,10,40", "Midline,Sulcus,Cingulate,S_Cingulate-2"},
      {"2,0,10,40", "Right Cerebrum,Limbic Lobe,Cingulum Mid,Gray Matter,Cingulum_Mid_R"},
      {"2,2,-46,-23",
       "Right Brainstem,Brainstem,Cerebellar Peduncle,White Matter,Superior_cerebellar_peduncle_R"},
      // Unlabelled points take their nearest label's side and the intensity's tissue, or the
      // side of X alone when nothing is labelled within 5 mm.
      {"2,-43,-46,1", "Left Cerebrum,Sub-lobar,None,White Matter,None"},
      {"2,-43,-10,-41", "Left Cerebrum,None,None,Gray Matter,None"},
      // A parcel is named even where the tissue atlases see no brain.
      {"1,-67,-22,-11", "Left,Gyrus,Temporal Mid,G_Temporal_Mid-2"},
      {"2,100,100,100", "* Talairach 100,100,100 is outside the brain"},
      {"3:3,100,100,100", "* Talairach 100,100,100: the 3x3x3 cube is outside the brain"},
      {"1,2147483647,0,0", "* Talairach 2147483647,0,0 is outside the brain"},
      {"2,-2147483648,-2147483648,-2147483648",
       "* Talairach -2147483648,-2147483648,-2147483648 is outside the brain"},
      {"3:11,2147483647,-2147483648,0",
       "* Talairach 2147483647,-2147483648,0: the 11x11x11 cube is outside the brain"},
      {"3:4,1,2,3", "* Cube size must be 3, 5, 7, 9 or 11"},
  };
  for (const auto& [request, reply] : cases) {
    EXPECT_EQ(answerBlock(labeller(), request), reply) << request;
  }
}

std::vector<TextCount> pairsOf(const std::string& reply) {
  std::vector<TextCount> pairs;
  if (reply.starts_with("*")) {
    return pairs;
  }
  for (std::size_t at = 0, colon = 0; (colon = reply.find(':', at)) != std::string::npos;) {
    const std::size_t end = reply.find(':', colon + 1);
    pairs.push_back({reply.substr(colon + 1, end - colon - 1), std::stoi(reply.substr(at))});
    at = end + 1;
  }
  return pairs;
}

// Each cube count must be the number of its points whose Code 2 answer is that label; the
// order is formatCubeCounts's, checked below and by the worked examples.
TEST_F(Answers, CountEveryCubePointAsItsPointAnswer) {
  const std::tuple<int, int, int> centres[] = {
      {6, 7, 8}, {-20, -20, 5}, {0, -60, -20}, {-67, -22, -11}};
  for (const auto& [x, y, z] : centres) {
    for (const int size : {3, 5, 7, 9, 11}) {
      SCOPED_TRACE(std::to_string(size) + " at " + std::to_string(x) + "," + std::to_string(y));
      std::map<std::string, int> expected, got;
      const int half = size / 2;
      for (int dz = -half; dz <= half; ++dz) {
        for (int dy = -half; dy <= half; ++dy) {
          for (int dx = -half; dx <= half; ++dx) {
            const std::string point = answerRequest(labeller(), {2, 0, x + dx, y + dy, z + dz});
            if (!point.starts_with("*")) {
              ++expected[point];
            }
          }
        }
      }
      for (const auto& [text, count] : pairsOf(answerRequest(labeller(), {3, size, x, y, z}))) {
        got[text] += count;
      }
      EXPECT_EQ(got, expected);
    }
  }
}

TEST(FormatCubeCounts, OrdersByCountThenLabelAndKeepsWholePairsWithinTheClientsLimits) {
  EXPECT_EQ(formatCubeCounts({{"b", 2}, {"a", 1}, {"B", 2}, {"c", 5}, {"a b", 2}}),
            "5:c:2:B:2:a b:2:b:1:a:");
  std::vector<TextCount> many, wide;
  for (int i = 0; i < 300; ++i) {
    many.push_back({"label " + std::to_string(1000 + i), 300 - i});
    wide.push_back({std::to_string(1000 + i) + std::string(146, 'x'), 300 - i});
  }
  const std::string fewShort = formatCubeCounts(many);
  EXPECT_EQ(pairsOf(fewShort).size(), kMaxCubePairs);
  EXPECT_TRUE(fewShort.starts_with("300:label 1000:"));

  const std::string longOnes = formatCubeCounts(wide);
  const std::size_t kept = pairsOf(longOnes).size();
  EXPECT_LE(longOnes.size(), kMaxReplyLength);
  // The first pair left out, "count:" + 150 characters + ":", would not have fitted.
  EXPECT_GT(longOnes.size() + std::to_string(wide[kept].count).size() + 152, kMaxReplyLength);
}

}  // namespace
}  // namespace orvod
