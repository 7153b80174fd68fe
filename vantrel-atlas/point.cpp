// vantrel-atlas point: one point, given on the command line, labelled by every chosen atlas.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "atlas/point_answers.hpp"
#include "atlas/provenance_text.hpp"
#include "report/points_output.hpp"
#include "src/exit_status.h"
#include "tables/point_table.hpp"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas {
namespace {

constexpr const char* kPointFooter =
    R"(X, Y and Z are millimetres, negative values written plainly (-38 -22 56), with
blanks or commas between them. Each atlas is read through its own sform; the voxel
at a point is the one whose centre is nearest, halves rounded up. Distances are
between voxel centres. Of labels tied at the nearest distance the one with the
lowest label value is reported.
Exit status: 0 labelled; 1 usage error, bad coordinates or unreadable atlases.)";

struct PointOptions {
  Labelling labelling;
  std::string format;
  Pictures pictures;
  std::vector<std::string> coordinates;
};

void declarePoint(CLI::App& cli, PointOptions& options) {
  cli.description("Label one point");
  addDataOption(cli, options.labelling.atlases);
  addLabellingOptions(cli, options.labelling);
  addFormatOption(cli, options.format, {"text", "tsv", "json"});
  addPictureOptions(cli, options.pictures, false);
  cli.add_option("coordinates", options.coordinates, "X Y Z")->required();
  cli.footer(kPointFooter);
}

std::string answerText(Format format, const LoadedAtlases& atlases, const GivenPoint& given,
                       const PointAnswer& answer, const RunProvenance& provenance) {
  switch (format) {
    case Format::kText:
      return pointText(atlases, answer) + "\n" + provenanceText(provenance);
    case Format::kTsv: {
      std::string text = provenanceComments(provenance, given.talairach) + tsvHeader(atlases, {});
      appendTsvRow(text, atlases, given, answer);
      return text;
    }
    case Format::kJson:
      break;
  }
  return tables::jsonLine({{"provenance", provenanceJson(provenance)}}) +
         pointJson(atlases, given, answer);
}

int runPoint(const PointOptions& options) {
  const AtlasChoice& choice = options.labelling.atlases;
  const std::vector<atlas::ChosenAtlas> entries = chosenAtlases(choice);
  const imaging::Vec3 point =
      app::checkUsage([&] { return parseCoordinates(options.coordinates); });
  requireDataFolder(choice.dataDirectory, entries);
  report::PointsOutput pictures(figureOptions(options.pictures),
                                reportOptions(options.pictures, ""));
  const std::unique_ptr<cache::Store> store = cacheStore(choice);
  const LoadedAtlases atlases(
      entries, choice.dataDirectory, choice.radii,
      {.manyPoints = false, .wholeAtlases = pictures.wanted(), .cache = store.get()});
  warnOfMixedSpaces(atlases);
  const RunProvenance provenance = provenanceOf(choice.dataDirectory, atlases.atlases());
  const bool talairach = options.labelling.space == "talairach";
  const PointAnswer answer = atlases.labelMni(toMni(point, talairach));
  const GivenPoint given{std::nullopt, talairach, point, {}};
  if (pictures.wanted()) {
    pictures.add(given, answer);
    pictures.finish(atlases, provenance);
  }
  const std::string text =
      answerText(formatNamed(options.format), atlases, given, answer, provenance);
  std::fputs(text.c_str(), stdout);
  return vantrel::kExitSuccess;
}

}  // namespace

imaging::Vec3 parseCoordinates(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) {
    joined += word;
    joined += ' ';
  }
  std::replace(joined.begin(), joined.end(), ',', ' ');
  std::vector<std::string> values;
  for (std::size_t at = joined.find_first_not_of(' '); at != std::string::npos;
       at = joined.find_first_not_of(' ', at)) {
    const std::size_t end = joined.find(' ', at);
    values.push_back(joined.substr(at, end - at));
    at = end;
  }
  if (values.size() != 3) {
    throw std::invalid_argument("expected three coordinates X Y Z, got " +
                                std::to_string(values.size()));
  }
  imaging::Vec3 point{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const char* text = values[axis].c_str();
    if (tables::coordinateForm(text) == tables::CoordinateForm::kNotANumber) {
      throw std::invalid_argument("coordinate '" + values[axis] + "' is not a number");
    }
    point[axis] = tables::coordinateValue(text);
    if (!(std::abs(point[axis]) <= kCoordinateLimit)) {
      throw std::invalid_argument("coordinate '" + values[axis] + "' is beyond +-1e9 mm");
    }
  }
  return point;
}

app::Command pointCommand() {
  return app::command("point", declarePoint, runPoint);
}

}  // namespace vantrel_atlas
