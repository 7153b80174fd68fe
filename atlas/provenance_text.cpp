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

// The digest of the file outputs name for the atlas: its image for a catalogue atlas, else the
// file the user gave.
const std::string& namedDigest(const atlas::LabelAtlas& a) {
  for (const atlas::FileDigest& file : a.description().files) {
    if (file.path == a.description().file) {
      return file.sha256;
    }
  }
  return a.provenance().sha256;
}

std::string kindText(const atlas::AtlasDescription& d) {
  return std::string(atlas::formName(d.form)) + " " + std::string(atlas::typeName(d.type)) +
         " atlas, template space " + d.templateSpace;
}

std::string filesText(const atlas::AtlasDescription& d) {
  std::string text;
  for (const atlas::FileDigest& file : d.files) {
    text += (text.empty() ? "" : ", ") + file.path + " sha256 " + file.sha256;
  }
  return text;
}

std::string atlasLine(const atlas::LabelAtlas& a) {
  const atlas::AtlasProvenance& p = a.provenance();
  const atlas::AtlasDescription& d = a.description();
  std::string line = d.key + ": " + d.file + ", sha256 " + namedDigest(a) + ", " + gridText(p) +
                     ", " + std::to_string(p.labels) + " labels; " + kindText(d) + "; read " +
                     filesText(d) + "; " + cacheText(d);
  return d.citation.empty() ? line : line + "; cite " + d.citation;
}

std::string spaceOf(const atlas::AtlasSource& source) {
  return source.templateSpace.empty() ? atlas::kUnstatedSpace : source.templateSpace;
}

}  // namespace

// How the run came by the atlas: from its compiled file in the cache, or from its files.
std::string cacheText(const atlas::AtlasDescription& d) {
  if (d.cache == "read") {
    return "read from the cache, " + d.compiledFile;
  }
  if (d.cache == "compiled") {
    return "compiled into the cache, " + d.compiledFile;
  }
  return d.cache == "memory" ? "compiled in memory, the cache not writable"
                             : "read from its files, no cache";
}

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
    const atlas::AtlasDescription& d = a.description();
    text += "\n" + d.key + "\n";
    text += "  form     " + std::string(atlas::formName(d.form)) + "\n";
    text += "  type     " + std::string(atlas::typeName(d.type)) + "\n";
    text += "  space    " + d.templateSpace + "\n";
    text += "  file     " + d.file + "\n";
    text += "  sha256   " + namedDigest(a) + "\n";
    for (const atlas::FileDigest& file : d.files) {
      text += "  read     " + file.path + "\n           sha256 " + file.sha256 + "\n";
    }
    text += "  cache    " + cacheText(d) + "\n";
    text += "  grid     " + gridText(p) + "\n";
    text += "  labels   " + std::to_string(p.labels) + "\n";
    if (!d.citation.empty()) {
      text += "  cite     " + d.citation + "\n";
    }
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
    const atlas::AtlasDescription& d = a.description();
    json files = json::array();
    for (const atlas::FileDigest& file : d.files) {
      files.push_back({{"path", file.path}, {"sha256", file.sha256}});
    }
    atlases.push_back({{"key", d.key},
                       {"form", atlas::formName(d.form)},
                       {"type", atlas::typeName(d.type)},
                       {"template_space", d.templateSpace},
                       {"file", d.file},
                       {"sha256", namedDigest(a)},
                       {"files", std::move(files)},
                       {"cache",
                        {{"use", d.cache},
                         {"file", d.compiledFile.empty() ? json(nullptr) : json(d.compiledFile)}}},
                       {"grid", p.grid},
                       {"voxel_mm", p.voxelSizeMm},
                       {"labels", p.labels},
                       {"citation", d.citation.empty() ? json(nullptr) : json(d.citation)}});
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

std::string foundAtlasesText(const std::vector<atlas::AtlasSource>& found) {
  if (found.empty()) {
    return "";
  }
  std::string text = "\nfound in VANTREL_ATLAS_PATH and $FSLDIR/data/atlases\n";
  for (const atlas::AtlasSource& source : found) {
    text += "  " + source.key + "  " + std::string(atlas::formName(source.form)) + "  " +
            std::string(atlas::typeName(source.type)) + "  " + spaceOf(source) + "  " +
            source.description + "\n";
  }
  return text;
}

json foundAtlasesJson(const std::vector<atlas::AtlasSource>& found) {
  json atlases = json::array();
  for (const atlas::AtlasSource& source : found) {
    atlases.push_back({{"key", source.key},
                       {"form", atlas::formName(source.form)},
                       {"type", atlas::typeName(source.type)},
                       {"template_space", spaceOf(source)},
                       {"file", source.description}});
  }
  return atlases;
}

}  // namespace vantrel_atlas
