// The report's interactive viewer: its files in a viewer/ folder beside index.html, and the
// section that shows them. Everything loads from file:// with no network.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "atlas/label_atlas.hpp"
#include "imaging/affine.hpp"
#include "report/page.hpp"
#include "tables/output_folder.hpp"
#include "report/viewer_volume.hpp"

namespace report {

struct ViewerScene {
  std::filesystem::path background;            // the Colin head the slices show
  std::span<const atlas::LabelAtlas> atlases;  // every one is read; the first is drawn too
  std::optional<imaging::Volume<float>> clusters;  // statistic values in clusters, 0 elsewhere
  double threshold = 0;                        // the clusters' threshold, where the colours start
  std::vector<imaging::Vec3> points;             // a table's points, each marked
};

// The viewer's section, its files written into folder.dir()/viewer: NiiVue and the viewer's
// script and style from share/vantrel beside the program's folder, as built or installed, else
// from the folder the build installs them to; then the scene's volumes and settings. None when
// the build had no NiiVue to carry. Throws std::runtime_error naming a file that cannot be read
// or written.
std::optional<Section> viewerSection(tables::OutputFolder& folder, const ViewerScene& scene);

}  // namespace report
