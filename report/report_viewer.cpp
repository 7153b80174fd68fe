// The viewer of a run's report: the Colin head and the chosen atlases, with the table's points
// marked or the clusters coloured. None where the build had no NiiVue to carry.
#include "report/report_viewer.hpp"

#include <filesystem>
#include <utility>

#include "figures/anatomy.hpp"
#include "report/viewer_section.hpp"

namespace vantrel_atlas {
namespace {

std::optional<report::Section> viewerOf(report::ReportFolder& folder,
                                        const report::ViewerScene& scene) {
  const std::optional<std::filesystem::path> files = report::viewerFiles();
  if (!files) {
    return std::nullopt;
  }
  return report::viewerSection(folder, *files, scene);
}

report::ViewerScene sceneOf(const LoadedAtlases& atlases, const std::string& dataDirectory) {
  report::ViewerScene scene;
  scene.background = std::filesystem::path(dataDirectory) / figures::kHeadFile;
  scene.atlases = atlases.atlases();
  return scene;
}

}  // namespace

std::optional<report::Section> pointsViewer(report::ReportFolder& folder,
                                            const LoadedAtlases& atlases,
                                            const std::string& dataDirectory,
                                            const std::vector<imaging::Vec3>& points) {
  report::ViewerScene scene = sceneOf(atlases, dataDirectory);
  scene.points = points;
  return viewerOf(folder, scene);
}

std::optional<report::Section> clustersViewer(report::ReportFolder& folder,
                                              const LoadedAtlases& atlases,
                                              const std::string& dataDirectory,
                                              imaging::Volume<float> clusters, double threshold) {
  report::ViewerScene scene = sceneOf(atlases, dataDirectory);
  scene.clusters = std::move(clusters);
  scene.threshold = threshold;
  return viewerOf(folder, scene);
}

}  // namespace vantrel_atlas
