// vantrel-atlas's entry point: lists the atlases, labels one point or a table, reports clusters.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "src/exit_status.h"
#include "vantrel-atlas/clusters_run.hpp"
#include "atlas/labelling.hpp"
#include "vantrel-atlas/options.hpp"
#include "report/points_output.hpp"
#include "atlas/point_answers.hpp"
#include "atlas/provenance_text.hpp"
#include "tables/rows.hpp"
#include "tables/run_summary.hpp"
#include "tables/table_input.hpp"
#include "vantrel-atlas/table_run.hpp"

namespace {

using namespace vantrel_atlas;
using tables::jsonLine;

int listAtlases(const Options& options, const LoadedAtlases& atlases) {
  const RunProvenance provenance = provenanceOf(options.dataDirectory, atlases.atlases());
  const std::string text = options.format == Format::kJson
                               ? jsonLine({{"provenance", provenanceJson(provenance)}})
                               : provenanceText(provenance);
  std::fputs(text.c_str(), stdout);
  return vantrel::kExitSuccess;
}

int labelPoint(const Options& options, const LoadedAtlases& atlases,
               report::PointsOutput& pictures) {
  const RunProvenance provenance = provenanceOf(options.dataDirectory, atlases.atlases());
  const PointAnswer answer = atlases.labelMni(toMni(options.point, options.talairach));
  const GivenPoint given{std::nullopt, options.talairach, options.point, {}};
  if (pictures.wanted()) {
    pictures.add(given, answer);
    pictures.finish(atlases, provenance);
  }
  std::string text;
  switch (options.format) {
    case Format::kText:
      text = pointText(atlases, answer) + "\n" + provenanceText(provenance);
      break;
    case Format::kTsv:
      text = provenanceComments(provenance, options.talairach) + tsvHeader(atlases, {});
      appendTsvRow(text, atlases, given, answer);
      break;
    case Format::kJson:
      text = jsonLine({{"provenance", provenanceJson(provenance)}}) +
             pointJson(atlases, given, answer);
      break;
  }
  std::fputs(text.c_str(), stdout);
  return vantrel::kExitSuccess;
}

int labelTableFrom(std::istream& in, const Options& options, const LoadedAtlases& atlases,
                   report::PointsOutput& pictures) {
  const RunProvenance provenance = provenanceOf(options.dataDirectory, atlases.atlases());
  const PointSink keep = [&](const GivenPoint& given, const PointAnswer& answer) {
    pictures.add(given, answer);
  };
  const TableSummary summary =
      labelTable(in, stdout, atlases, options, provenance, pictures.wanted() ? keep : PointSink{});
  pictures.finish(atlases, provenance);
  return tables::endRun("vantrel-atlas", summary, tables::Failures::kImpossible);
}

int run(const Options& options) {
  if (!std::filesystem::is_directory(options.dataDirectory)) {
    std::fprintf(stderr, "vantrel-atlas: data folder %s does not exist\n",
                 options.dataDirectory.c_str());
    return vantrel::kExitBadInput;
  }
  if (options.command == Command::kClusters) {
    return runClusters(options);
  }
  std::optional<tables::TableInput> input;
  if (options.command == Command::kTable) {
    input.emplace("vantrel-atlas", options.input);
    if (!input->readable()) {
      return vantrel::kExitBadInput;
    }
  }
  report::PointsOutput pictures({options.figuresDir, *figures::parseFormat(options.figureFormat)},
                               {options.reportDir, options.commandLine, options.input});
  const bool manyPoints = options.command == Command::kTable;
  const LoadedAtlases atlases(options.atlases, options.dataDirectory, options.radii, manyPoints);
  switch (options.command) {
    case Command::kList:
      return listAtlases(options, atlases);
    case Command::kPoint:
      return labelPoint(options, atlases, pictures);
    case Command::kTable:
    case Command::kClusters:
      break;
  }
  return labelTableFrom(input->stream(), options, atlases, pictures);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::ios::sync_with_stdio(false);
  const ParsedOptions parsed = parseOptions(argc, argv);
  if (parsed.exitNow) {
    return *parsed.exitNow;
  }
  try {
    return run(parsed.options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vantrel-atlas: %s\n", error.what());
    return vantrel::kExitBadInput;
  }
}
