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
#include "tables/report_folder.hpp"
#include "report/viewer_volume.hpp"

namespace report {

struct ViewerScene {
  std::filesystem::path background;            // the Colin head the slices show
  std::span<const atlas::LabelAtlas> atlases;  // every one is read; the first is drawn too
  std::optional<imaging::Volume<float>> clusters;  // statistic values in clusters, 0 elsewhere
  double threshold = 0;                        // the clusters' threshold, where the colours start
  std::vector<imaging::Vec3> points;             // a table's points, each marked
};

// The folder holding NiiVue and the viewer's own script and style: share/vantrel beside the
// program's folder, as built or installed, else the folder the build installs them to. None
// when the build had no NiiVue.
std::optional<std::filesystem::path> viewerFiles();

// Writes the viewer's files into folder.dir()/viewer and returns the section that shows them.
// Throws std::runtime_error naming a file that cannot be read or written.
Section viewerSection(ReportFolder& folder, const std::filesystem::path& files,
                      const ViewerScene& scene);

}  // namespace report
