// The viewer of a run's report: the Colin head and the chosen atlases, with the table's points
// marked or the clusters coloured. None where the build had no NiiVue to carry.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "atlas/labelling.hpp"
#include "report/page.hpp"
#include "tables/report_folder.hpp"
#include "report/viewer_volume.hpp"

namespace vantrel_atlas {

// Throws std::runtime_error naming a file that cannot be read or written.
std::optional<report::Section> pointsViewer(report::ReportFolder& folder,
                                            const LoadedAtlases& atlases,
                                            const std::string& dataDirectory,
                                            const std::vector<imaging::Vec3>& points);

// `clusters` holds the map's values inside its clusters and 0 elsewhere.
std::optional<report::Section> clustersViewer(report::ReportFolder& folder,
                                              const LoadedAtlases& atlases,
                                              const std::string& dataDirectory,
                                              imaging::Volume<float> clusters, double threshold);

}  // namespace vantrel_atlas
