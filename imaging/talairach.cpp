// The transform between MNI and Talairach space.
#include "imaging/talairach.hpp"

namespace imaging {

const Affine& mniToTalairach() {
  static const Affine pooled{{
      {0.9357, 0.0029, -0.0072, -1.0423},
      {-0.0065, 0.9396, -0.0726, -1.3940},
      {0.0103, 0.0752, 0.8967, 3.6475},
  }};
  return pooled;
}

const Affine& talairachToMni() {
  static const Affine inverse = invert(mniToTalairach());
  return inverse;
}

}  // namespace imaging
