// The chosen atlases loaded side by side, and the answer each gives for one MNI point.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "atlas/atlas_choice.hpp"
#include "atlas/label_atlas.hpp"
#include "atlas/nearby_labels.hpp"
#include "imaging/affine.hpp"

namespace vantrel_atlas {

// How far the searches reach, in millimetres; 0 turns a search off.
struct SearchRadii {
  double nearestMm = 10;
  std::optional<double> withinMm;  // set by --within
};

struct AtlasAnswer {
  std::uint16_t label = 0;  // compact index of the label at the point; 0: none
  std::optional<atlas::LabelDistance> nearest;
  std::vector<atlas::LabelDistance> within;
  // A probabilistic atlas's regions above 0 at the point, highest first; empty for a label atlas.
  std::span<const atlas::RegionProbability> probabilities;
};

struct PointAnswer {
  imaging::Vec3 mni{}, talairach{};
  std::vector<AtlasAnswer> atlases;  // in the order the atlases were chosen
};

class LoadedAtlases {
 public:
  // Loads the atlases two at a time. `manyPoints` also builds each atlas's distance map, which
  // costs start-up time and pays off over a table. Throws std::runtime_error naming the file
  // that is missing or refused.
  LoadedAtlases(const std::vector<atlas::ChosenAtlas>& chosen, const std::string& directory,
                const SearchRadii& radii, bool manyPoints);
  // The searches point into the atlases, so the set stays where it was built.
  LoadedAtlases(const LoadedAtlases&) = delete;
  LoadedAtlases& operator=(const LoadedAtlases&) = delete;

  const std::vector<atlas::LabelAtlas>& atlases() const { return atlases_; }
  const SearchRadii& radii() const { return radii_; }

  PointAnswer labelMni(const imaging::Vec3& mni) const;

 private:
  std::vector<atlas::LabelAtlas> atlases_;
  std::vector<atlas::NearbyLabels> nearby_;
  SearchRadii radii_;
};

// The MNI point of a point given in `talairach` or MNI space: the inverse pooled transform,
// exactly, with no rounding.
imaging::Vec3 toMni(const imaging::Vec3& point, bool talairach);

}  // namespace vantrel_atlas
