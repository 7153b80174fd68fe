// vantrel-atlas table: every point of a table labelled, in input order, as it streams in.
#include <cstdio>

#include "atlas/provenance_text.hpp"
#include "report/points_output.hpp"
#include "tables/run_summary.hpp"
#include "tables/table_input.hpp"
#include "vantrel-atlas/commands.hpp"
#include "vantrel-atlas/table_run.hpp"

namespace vantrel_atlas {
namespace {

constexpr const char* kTableFooter =
    R"(Input: tab-separated lines with X, Y and Z in the first three fields, read as
vantrel-batch reads them: decimals allowed, one header line, '#' and blank lines
skipped, further fields carried through.
Output: '#' provenance lines, then a header and one row per point (tsv), or a
provenance record and one JSON object per point; rejected lines are reported
('# line N: rejected: ...' or a record with "error") and counted on standard error.
Exit status: 0 every point labelled; 1 usage error, unreadable input or atlases;
2 some lines rejected.)";

struct TableOptions {
  Labelling labelling;
  std::string format;
  Pictures pictures;
  std::string input;  // a path, or "-" for standard input
};

void declareTable(CLI::App& cli, TableOptions& options) {
  cli.description("Label every point of a table");
  addDataOption(cli, options.labelling.atlases);
  addLabellingOptions(cli, options.labelling);
  addFormatOption(cli, options.format, {"tsv", "json"});
  addPictureOptions(cli, options.pictures, true);
  cli.add_option("input", options.input, "Tab-separated table, or - for standard input")
      ->required();
  cli.footer(kTableFooter);
}

int labelTableFrom(TablePeek& in, const TableOptions& options,
                   const std::vector<atlas::ChosenAtlas>& entries) {
  const AtlasChoice& choice = options.labelling.atlases;
  report::PointsOutput pictures(figureOptions(options.pictures),
                                reportOptions(options.pictures, options.input));
  const std::unique_ptr<cache::Store> store = cacheStore(choice);
  const LoadedAtlases atlases(
      entries, choice.dataDirectory, choice.radii,
      {.manyPoints = in.manyPoints(), .wholeAtlases = pictures.wanted(), .cache = store.get()});
  warnOfMixedSpaces(atlases);
  const RunProvenance provenance = provenanceOf(choice.dataDirectory, atlases.atlases());
  const PointSink keep = [&](const GivenPoint& given, const PointAnswer& answer) {
    pictures.add(given, answer);
  };
  const RowOptions rows{formatNamed(options.format), options.labelling.space == "talairach"};
  const TableSummary summary = labelTable(in.stream(), stdout, atlases, rows, provenance,
                                          pictures.wanted() ? keep : PointSink{});
  pictures.finish(atlases, provenance);
  app::message(tables::summaryOf(summary, tables::Failures::kImpossible));
  return tables::exitStatusFor(summary);
}

int runTable(const TableOptions& options) {
  const std::vector<atlas::ChosenAtlas> entries = chosenAtlases(options.labelling.atlases);
  requireDataFolder(options.labelling.atlases.dataDirectory, entries);
  tables::TableInput input(options.input);
  TablePeek peek(input.stream());
  return labelTableFrom(peek, options, entries);
}

}  // namespace

app::Command tableCommand() {
  return app::command("table", declareTable, runTable);
}

}  // namespace vantrel_atlas
