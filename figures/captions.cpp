// The words under a figure: the point's coordinates and every atlas's answer, in the form the
// report's tables also show them.
#include "figures/captions.hpp"
#include "tables/numbers.hpp"

#include "atlas/provenance_text.hpp"

namespace figures {
namespace {

using tables::formatNumber;

constexpr int kDistanceDecimals = 2;

// "-38, -22, 56"
std::string coordinatesText(const imaging::Vec3& point) {
  return formatNumber(point[0], 2) + ", " + formatNumber(point[1], 2) + ", " +
         formatNumber(point[2], 2);
}

}  // namespace

std::string answerText(const vantrel_atlas::LoadedAtlases& atlases, std::size_t atlas,
                       const vantrel_atlas::AtlasAnswer& answer) {
  const atlas::LabelAtlas& labels = atlases.atlases()[atlas];
  if (answer.label != 0) {
    return labels.label(answer.label).name;
  }
  if (answer.nearest) {
    return "none; nearest " + labels.label(answer.nearest->index).name + " at " +
           formatNumber(answer.nearest->distanceMm, kDistanceDecimals) + " mm";
  }
  if (atlases.radii().nearestMm > 0) {
    return "none within " + formatNumber(atlases.radii().nearestMm, 2) + " mm";
  }
  return "none";
}

std::vector<std::string> captionOf(const vantrel_atlas::LoadedAtlases& atlases,
                                   const vantrel_atlas::PointAnswer& answer) {
  std::vector<std::string> lines{"MNI " + coordinatesText(answer.mni) + " mm   (Talairach " +
                                 coordinatesText(answer.talairach) + ")"};
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    lines.push_back(std::string(atlases.atlases()[i].description().key) + ": " +
                    answerText(atlases, i, answer.atlases[i]));
  }
  if (!atlases.atlases().empty()) {
    lines.push_back("Outlines: " + std::string(atlases.atlases().front().description().key) +
                    " regions. Neurological convention: the subject's left on the left.");
  }
  return lines;
}

}  // namespace figures
