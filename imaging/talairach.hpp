// The transform between MNI and Talairach space.
#pragma once

#include "imaging/affine.hpp"

namespace imaging {

// MNI to Talairach, the pooled fit of Hum Brain Mapp 2007;28:1194 (doi:10.1002/hbm.20345),
// with the four decimals as published.
const Affine& mniToTalairach();

// The inverse of mniToTalairach(), computed once in double precision.
const Affine& talairachToMni();

}  // namespace imaging
