// The words under a figure: the point's coordinates and every atlas's answer, in the form the
// report's tables also show them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "atlas/labelling.hpp"

namespace figures {

// One atlas's answer as a person reads it: "Precentral_L", "none; nearest Precentral_L at
// 2.24 mm" or "none within 10 mm".
std::string answerText(const vantrel_atlas::LoadedAtlases& atlases, std::size_t atlas,
                       const vantrel_atlas::AtlasAnswer& answer);

// The coordinates, then every atlas's answer, then which atlas the outlines show.
std::vector<std::string> captionOf(const vantrel_atlas::LoadedAtlases& atlases,
                                   const vantrel_atlas::PointAnswer& answer);

}  // namespace figures
