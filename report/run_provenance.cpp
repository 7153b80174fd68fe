// Where a report's answers came from: the program, the data, the transform, every atlas and
// the input.
#include "report/run_provenance.hpp"
#include "tables/numbers.hpp"

#include <ctime>

#include "atlas/provenance.hpp"
#include "vantrel_version.h"

namespace report {
namespace {

using tables::formatNumber;

std::string gridText(const atlas::AtlasProvenance& p) {
  return std::to_string(p.grid[0]) + "x" + std::to_string(p.grid[1]) + "x" +
         std::to_string(p.grid[2]) + " voxels of " + formatNumber(p.voxelSizeMm[0], 3) + " mm, " +
         std::to_string(p.labels) + " labels";
}

// The current time in UTC, as 2026-12-07T00:10:00Z.
std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace

Source inputSource(const std::string& path) {
  if (path == "-") {
    return {"input", "standard input", "(not kept, so not hashed)", ""};
  }
  return {"input", path, atlas::sha256OfFile(path), ""};
}

Provenance reportProvenance(const vantrel_atlas::RunProvenance& run, const std::string& commandLine,
                            std::optional<Source> input) {
  Provenance provenance;
  provenance.commandLine = commandLine;
  provenance.input = std::move(input);
  provenance.toolVersion = "vantrel-atlas " VANTREL_VERSION;
  provenance.dataPackage =
      std::string(atlas::kDataPackage) + " " +
      run.packageVersion.value_or("(version unknown: not installed through dpkg)") + ", " +
      run.dataDirectory;
  provenance.date = utcNow();
  provenance.transform = std::string(atlas::kTransformName) + "; cite " + atlas::kTransformCitation;
  for (const atlas::LabelAtlas& a : *run.atlases) {
    const atlas::AtlasDescription& d = a.description();
    std::string detail = std::string(atlas::formName(d.form)) + " " +
                         std::string(atlas::typeName(d.type)) + " atlas, template space " +
                         d.templateSpace + "; " + gridText(a.provenance()) + "; " +
                         vantrel_atlas::cacheText(d);
    if (!d.citation.empty()) {
      detail += "; cite " + d.citation;
    }
    provenance.atlases.push_back({d.key, a.provenance().path, a.provenance().sha256, detail});
    // The other files read for the atlas: its description, summary image or table.
    for (const atlas::FileDigest& file : d.files) {
      if (file.path != a.provenance().path) {
        provenance.atlases.push_back({d.key, file.path, file.sha256, "also read"});
      }
    }
  }
  return provenance;
}

}  // namespace report
