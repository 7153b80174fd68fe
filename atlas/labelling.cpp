// The chosen atlases loaded side by side, and the answer each gives for one MNI point.
#include "atlas/labelling.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include "atlas/atlas_loading.hpp"
#include "atlas/cached_atlas.hpp"
#include "imaging/talairach.hpp"

namespace vantrel_atlas {
namespace {

// Runs work(i) for every i below `count` on this thread and one more.
template <class Work>
void inPairs(std::size_t count, const Work& work) {
  std::atomic<std::size_t> next{0};
  auto run = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      work(i);
    }
  };
  std::thread helper(run);
  run();
  helper.join();
}

}  // namespace

LoadedAtlases::LoadedAtlases(const std::vector<atlas::ChosenAtlas>& chosen,
                             const std::string& directory, const SearchRadii& radii,
                             const LoadOptions& options)
    : chosen_(chosen), directory_(directory), options_(options), radii_(radii) {
  struct Slot {
    std::optional<Loaded> loaded;
    std::exception_ptr error;
  };
  std::vector<Slot> slots(chosen.size());
  inPairs(chosen.size(), [&](std::size_t i) {
    try {
      slots[i].loaded.emplace(load(chosen[i], options.cache != nullptr));
    } catch (...) {
      slots[i].error = std::current_exception();
    }
  });
  std::vector<std::optional<atlas::NearestMap>> maps;
  for (Slot& slot : slots) {
    if (slot.error) {
      std::rethrow_exception(slot.error);
    }
    atlases_.push_back(std::move(slot.loaded->atlas));
    maps.push_back(slot.loaded->map);
  }
  // The atlases stay where they are from here on, so the searches may point at them.
  std::vector<std::optional<atlas::NearbyLabels>> searches(atlases_.size());
  inPairs(atlases_.size(),
          [&](std::size_t i) { searches[i].emplace(searchOf(atlases_[i], maps[i])); });
  for (auto& search : searches) {
    nearby_.push_back(std::move(*search));
  }
  replaced_ = std::make_unique<std::atomic<const Replacement*>[]>(atlases_.size());
}

LoadedAtlases::Loaded LoadedAtlases::load(const atlas::ChosenAtlas& chosen, bool fromCache) const {
  std::optional<atlas::CachedAtlas> cached;
  if (fromCache) {
    cached = atlas::loadCachedAtlas(chosen, directory_, *options_.cache);
  }
  if (cached) {
    try {
      if (options_.wholeAtlases) {
        cached->atlas.indices();
      }
      return {std::move(cached->atlas), cached->map};
    } catch (const cache::UntrustedFile&) {
      atlas::forgetCompiledAtlas(cached->atlas, options_.cache->warning());
    }
  }
  return {chosen.entry != nullptr ? atlas::loadLabelAtlas(*chosen.entry, directory_)
                                  : atlas::loadAtlas(chosen.source),
          std::nullopt};
}

atlas::NearbyLabels LoadedAtlases::searchOf(const atlas::LabelAtlas& atlas,
                                            const std::optional<atlas::NearestMap>& map) const {
  const double reach = std::max(radii_.nearestMm, radii_.withinMm.value_or(0));
  if (map) {
    return atlas::NearbyLabels(atlas, reach, map->entries, map->margin, map->verifier);
  }
  // Without the cache the map is built here, when it pays off.
  return atlas::NearbyLabels(atlas, reach, options_.manyPoints && options_.cache == nullptr);
}

const LoadedAtlases::Replacement& LoadedAtlases::replacementOf(std::size_t i) const {
  const std::lock_guard<std::mutex> lock(replacing_);
  if (replaced_[i].load(std::memory_order_acquire) == nullptr) {
    atlas::forgetCompiledAtlas(atlases_[i], options_.cache->warning());
    auto replacement =
        std::make_unique<Replacement>(Replacement{load(chosen_[i], false).atlas, {}});
    replacement->nearby.emplace(searchOf(replacement->atlas, std::nullopt));
    replaced_[i].store(replacement.get(), std::memory_order_release);
    replacements_.push_back(std::move(replacement));
  }
  return *replaced_[i].load(std::memory_order_acquire);
}

AtlasAnswer LoadedAtlases::answerOf(std::size_t i, const atlas::LabelAtlas& atlas,
                                    const atlas::NearbyLabels& nearby,
                                    const imaging::Vec3& mni) const {
  const atlas::VoxelIndex voxel = atlas.grid().nearestVoxel(mni);
  AtlasAnswer a;
  try {
    // The nearest label at 0 mm is the label at the point; with the search off only that one
    // is looked for.
    a.nearest = nearby.nearest(voxel, radii_.nearestMm);
    a.label = a.nearest && a.nearest->distanceMm == 0 ? a.nearest->index : 0;
    if (radii_.withinMm) {
      a.within = nearby.within(voxel, *radii_.withinMm);
    }
  } catch (const cache::UntrustedFile&) {
    const Replacement& replacement = replacementOf(i);
    return answerOf(i, replacement.atlas, *replacement.nearby, mni);
  }
  const atlas::SparseProbabilities* probabilities = atlas.probabilities();
  if (probabilities != nullptr && atlas.grid().contains(voxel)) {
    a.probabilities = probabilities->at(static_cast<std::int64_t>(atlas.grid().linearOf(voxel)));
  }
  return a;
}

PointAnswer LoadedAtlases::labelMni(const imaging::Vec3& mni) const {
  PointAnswer answer;
  answer.mni = mni;
  answer.talairach = imaging::applyAffine(imaging::mniToTalairach(), mni);
  answer.atlases.reserve(atlases_.size());
  for (std::size_t i = 0; i < atlases_.size(); ++i) {
    const Replacement* replacement = replaced_[i].load(std::memory_order_acquire);
    answer.atlases.push_back(replacement != nullptr
                                 ? answerOf(i, replacement->atlas, *replacement->nearby, mni)
                                 : answerOf(i, atlases_[i], nearby_[i], mni));
  }
  return answer;
}

imaging::Vec3 toMni(const imaging::Vec3& point, bool talairach) {
  return talairach ? imaging::applyAffine(imaging::talairachToMni(), point) : point;
}

}  // namespace vantrel_atlas
