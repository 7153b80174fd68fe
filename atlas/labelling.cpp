// The chosen atlases loaded side by side, and the answer each gives for one MNI point.
#include "atlas/labelling.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include "atlas/atlas_loading.hpp"
#include "imaging/talairach.hpp"

namespace vantrel_atlas {

LoadedAtlases::LoadedAtlases(const std::vector<atlas::ChosenAtlas>& chosen,
                             const std::string& directory, const SearchRadii& radii,
                             bool manyPoints)
    : radii_(radii) {
  struct Slot {
    std::optional<atlas::LabelAtlas> atlas;
    std::exception_ptr error;
  };
  std::vector<Slot> slots(chosen.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < chosen.size(); i = next++) {
      try {
        slots[i].atlas.emplace(chosen[i].entry != nullptr
                                   ? atlas::loadLabelAtlas(*chosen[i].entry, directory)
                                   : atlas::loadAtlas(chosen[i].source));
      } catch (...) {
        slots[i].error = std::current_exception();
      }
    }
  };
  std::thread helper(work);
  work();
  helper.join();
  for (Slot& slot : slots) {
    if (slot.error) {
      std::rethrow_exception(slot.error);
    }
    atlases_.push_back(std::move(*slot.atlas));
  }
  // The atlases stay where they are from here on, so the searches may point at them.
  const double reach = std::max(radii.nearestMm, radii.withinMm.value_or(0));
  std::vector<std::optional<atlas::NearbyLabels>> searches(atlases_.size());
  next = 0;
  auto prepare = [&] {
    for (std::size_t i = next++; i < atlases_.size(); i = next++) {
      searches[i].emplace(atlases_[i], reach, manyPoints);
    }
  };
  std::thread second(prepare);
  prepare();
  second.join();
  for (auto& search : searches) {
    nearby_.push_back(std::move(*search));
  }
}

PointAnswer LoadedAtlases::labelMni(const imaging::Vec3& mni) const {
  PointAnswer answer;
  answer.mni = mni;
  answer.talairach = imaging::applyAffine(imaging::mniToTalairach(), mni);
  answer.atlases.reserve(atlases_.size());
  for (std::size_t i = 0; i < atlases_.size(); ++i) {
    const atlas::VoxelIndex voxel = atlases_[i].grid().nearestVoxel(mni);
    AtlasAnswer& a = answer.atlases.emplace_back();
    // The nearest label at 0 mm is the label at the point; with the search off only that one
    // is looked for.
    a.nearest = nearby_[i].nearest(voxel, radii_.nearestMm);
    a.label = a.nearest && a.nearest->distanceMm == 0 ? a.nearest->index : 0;
    if (radii_.withinMm) {
      a.within = nearby_[i].within(voxel, *radii_.withinMm);
    }
    const atlas::SparseProbabilities* probabilities = atlases_[i].probabilities();
    if (probabilities != nullptr && atlases_[i].grid().contains(voxel)) {
      a.probabilities =
          probabilities->at(static_cast<std::int64_t>(atlases_[i].grid().linearOf(voxel)));
    }
  }
  return answer;
}

imaging::Vec3 toMni(const imaging::Vec3& point, bool talairach) {
  return talairach ? imaging::applyAffine(imaging::talairachToMni(), point) : point;
}

}  // namespace vantrel_atlas
