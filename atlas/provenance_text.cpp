// Where the answers of a run come from, written as text, as TSV comment lines or as JSON.
#include "atlas/provenance_text.hpp"

#include "atlas/provenance.hpp"
#include "tables/numbers.hpp"
#include "vantrel_version.h"

namespace vantrel_atlas {
namespace {

using json = nlohmann::ordered_json;
using tables::formatNumber;

std::string packageText(const RunProvenance& run) {
  return std::string(atlas::kDataPackage) + " " +
         run.packageVersion.value_or("(version unknown: not installed through dpkg)");
}

std::string gridText(const atlas::AtlasProvenance& p) {
  return std::to_string(p.grid[0]) + "x" + std::to_string(p.grid[1]) + "x" +
         std::to_string(p.grid[2]) + " voxels of " + formatNumber(p.voxelSizeMm[0], 3) + "x" +
         formatNumber(p.voxelSizeMm[1], 3) + "x" + formatNumber(p.voxelSizeMm[2], 3) + " mm";
}

std::string atlasLine(const atlas::LabelAtlas& a) {
  const atlas::AtlasProvenance& p = a.provenance();
  return std::string(a.description().key) + ": " + std::string(a.description().file) + ", sha256 " + p.sha256 +
         ", " + gridText(p) + ", " + std::to_string(p.labels) + " labels; cite " +
         std::string(a.description().citation);
}

}  // namespace

RunProvenance provenanceOf(const std::string& dataDirectory,
                           const std::vector<atlas::LabelAtlas>& atlases) {
  return {dataDirectory, atlas::installedVersionOnThisMachine(atlas::kDataPackage), &atlases};
}

std::string provenanceText(const RunProvenance& run) {
  std::string text = "vantrel-atlas " VANTREL_VERSION "\n";
  text += "data       " + run.dataDirectory + ", " + packageText(run) + "\n";
  text += std::string("transform  ") + atlas::kTransformName + "; cite " +
          atlas::kTransformCitation + "\n";
  for (const atlas::LabelAtlas& a : *run.atlases) {
    const atlas::AtlasProvenance& p = a.provenance();
    text += "\n" + std::string(a.description().key) + "\n";
    text += "  file     " + std::string(a.description().file) + "\n";
    text += "  sha256   " + p.sha256 + "\n";
    text += "  grid     " + gridText(p) + "\n";
    text += "  labels   " + std::to_string(p.labels) + "\n";
    text += "  cite     " + std::string(a.description().citation) + "\n";
  }
  return text;
}

std::string provenanceComments(const RunProvenance& run, bool talairachInput) {
  std::string text = "# vantrel-atlas " VANTREL_VERSION "\n";
  text += "# data: " + run.dataDirectory + ", " + packageText(run) + "\n";
  text += std::string("# transform: ") + atlas::kTransformName + "; cite " +
          atlas::kTransformCitation + "\n";
  text += talairachInput ? "# input: Talairach, converted exactly to MNI; x y z are MNI mm\n"
                         : "# input: MNI; x y z are MNI mm\n";
  text +=
      "# each atlas: the label at the voxel whose centre is nearest, the nearest label and "
      "its distance in mm between voxel centres\n";
  for (const atlas::LabelAtlas& a : *run.atlases) {
    text += "# atlas " + atlasLine(a) + "\n";
  }
  return text;
}

json provenanceJson(const RunProvenance& run) {
  json atlases = json::array();
  for (const atlas::LabelAtlas& a : *run.atlases) {
    const atlas::AtlasProvenance& p = a.provenance();
    atlases.push_back({{"key", a.description().key},
                       {"file", a.description().file},
                       {"sha256", p.sha256},
                       {"grid", p.grid},
                       {"voxel_mm", p.voxelSizeMm},
                       {"labels", p.labels},
                       {"citation", a.description().citation}});
  }
  json package{{"name", atlas::kDataPackage}, {"version", nullptr}};
  if (run.packageVersion) {
    package["version"] = *run.packageVersion;
  }
  return {{"program", {{"name", "vantrel-atlas"}, {"version", VANTREL_VERSION}}},
          {"data", {{"directory", run.dataDirectory}, {"package", std::move(package)}}},
          {"transform", {{"name", atlas::kTransformName}, {"citation", atlas::kTransformCitation}}},
          {"atlases", std::move(atlases)}};
}

}  // namespace vantrel_atlas
