// Tests of the replies: the worked examples, cube counts and their order, and the reply limits.
#include "orvod/answer.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "atlas_fixture.hpp"

namespace orvod {
namespace {

using Answers = testing::AtlasTest;

std::string ask(const Labeller& labeller, const std::string& text) {
  std::string block = text;
  block.resize(kRequestBlockSize, '\0');
  return answerBlock(labeller, block);
}

TEST_F(Answers, GiveTheWorkedExamplesExactly) {
  struct Golden {
    const char* request;
    const char* reply;
  };
  const Golden cases[] = {
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
      {"1,16,5,12", "* No Quendel label at Talairach 16,5,12"},
      {"2,30,-60,-30",
       "Right Cerebellum,Posterior Lobe,Cerebelum Crus1,Gray Matter,Cerebelum_Crus1_R"},
      {"2,0,-60,-20", "Midline Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6"},
      {"2,-1,-60,-20", "Left Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6"},
      {"2,1,-60,-20", "Right Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6"},
      {"3:3,0,-60,-20",
       "9:Left Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6:"
       "9:Midline Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6:"
       "9:Right Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6:"},
      {"1,0,10,40", "Midline,Sulcus,Cingulate,S_Cingulate-2"},
      {"2,0,10,40", "Right Cerebrum,Limbic Lobe,Cingulum Mid,Gray Matter,Cingulum_Mid_R"},
      {"2,100,100,100", "* Talairach 100,100,100 is outside the brain"},
      {"1,100,100,100", "* Talairach 100,100,100 is outside the brain"},
      {"3:3,100,100,100", "* Talairach 100,100,100: the 3x3x3 cube is outside the brain"},
      {"3:11,2147483647,-2147483648,0",
       "* Talairach 2147483647,-2147483648,0: the 11x11x11 cube is outside the brain"},
  };
  for (const Golden& c : cases) {
    EXPECT_EQ(ask(labeller(), c.request), c.reply) << c.request;
  }
}

struct Pair {
  int count;
  std::string label;
};

std::vector<Pair> pairsOf(const std::string& reply) {
  std::vector<Pair> pairs;
  std::size_t at = 0;
  while (at < reply.size()) {
    const auto countEnd = reply.find(':', at);
    const auto labelEnd = reply.find(':', countEnd + 1);
    if (countEnd == std::string::npos || labelEnd == std::string::npos) {
      ADD_FAILURE() << "unterminated pair in " << reply;
      break;
    }
    pairs.push_back({std::stoi(reply.substr(at, countEnd - at)),
                     reply.substr(countEnd + 1, labelEnd - countEnd - 1)});
    at = labelEnd + 1;
  }
  return pairs;
}

// A cube is the Code 2 answers of its points, counted: checks the one against the other.
std::map<std::string, int> pointAnswersOfCube(const Labeller& labeller, int size, int x, int y,
                                              int z) {
  std::map<std::string, int> counts;
  const int half = (size - 1) / 2;
  for (int dz = -half; dz <= half; ++dz) {
    for (int dy = -half; dy <= half; ++dy) {
      for (int dx = -half; dx <= half; ++dx) {
        const std::string answer = answerRequest(labeller, {2, 0, x + dx, y + dy, z + dz});
        if (!answer.starts_with("*")) {
          ++counts[answer];
        }
      }
    }
  }
  return counts;
}

TEST_F(Answers, CountEveryCubePointAsItsPointAnswerInTheDocumentedOrder) {
  struct Centre {
    int x, y, z;
    bool deepInside;
  };
  const Centre centres[] = {
      {6, 7, 8, true},
      {-20, -20, 5, true},
      {0, -60, -20, true},
      {-67, -22, -11, false},
  };
  for (const Centre& c : centres) {
    for (const int size : {3, 5, 7, 9, 11}) {
      SCOPED_TRACE(std::to_string(size) + " at " + std::to_string(c.x) + "," + std::to_string(c.y) +
                   "," + std::to_string(c.z));
      const std::vector<Pair> pairs = pairsOf(answerRequest(labeller(), {3, size, c.x, c.y, c.z}));
      const std::map<std::string, int> expected =
          pointAnswersOfCube(labeller(), size, c.x, c.y, c.z);
      std::map<std::string, int> got;
      int total = 0;
      for (std::size_t i = 0; i < pairs.size(); ++i) {
        got[pairs[i].label] += pairs[i].count;
        total += pairs[i].count;
        if (i > 0) {
          const Pair& before = pairs[i - 1];
          EXPECT_TRUE(before.count > pairs[i].count ||
                      (before.count == pairs[i].count && before.label < pairs[i].label))
              << before.label << " then " << pairs[i].label;
        }
      }
      EXPECT_EQ(got, expected);
      if (c.deepInside) {
        EXPECT_EQ(total, size * size * size);
      } else {
        EXPECT_LT(total, size * size * size);
      }
    }
  }
}

TEST(FormatCubeCounts, OrdersByCountThenBytewiseByLabel) {
  EXPECT_EQ(formatCubeCounts({{"b", 2}, {"a", 1}, {"B", 2}, {"c", 5}, {"a b", 2}}),
            "5:c:2:B:2:a b:2:b:1:a:");
}

TEST(FormatCubeCounts, KeepsOnlyWholePairsWithinTheClientsLimits) {
  std::vector<TextCount> many;
  many.reserve(300);
  for (int i = 0; i < 300; ++i) {
    many.push_back({"label " + std::to_string(1000 + i), 300 - i});
  }
  const std::string fewShort = formatCubeCounts(many);
  EXPECT_EQ(pairsOf(fewShort).size(), kMaxCubePairs);
  EXPECT_TRUE(fewShort.starts_with("300:label 1000:"));

  std::vector<TextCount> wide;
  wide.reserve(100);
  for (int i = 0; i < 100; ++i) {
    wide.push_back({std::to_string(1000 + i) + std::string(146, 'x'), 100 - i});
  }
  const std::string longOnes = formatCubeCounts(wide);
  const std::size_t kept = pairsOf(longOnes).size();
  ASSERT_LT(kept, wide.size());
  EXPECT_LE(longOnes.size(), kMaxReplyLength);
  // The first pair left out would not have fitted.
  EXPECT_GT(longOnes.size() + std::to_string(wide[kept].count).size() + 152, kMaxReplyLength);
}

TEST_F(Answers, AnswerAMalformedRequestWithAStarMessage) {
  for (const char* bad : {"", "9,1,2,3", "3:4,1,2,3", "2,1,2"}) {
    EXPECT_TRUE(ask(labeller(), bad).starts_with("* ")) << bad;
  }
}

}  // namespace
}  // namespace orvod
