// Labelling a table as it streams in: a block of lines at a time, labelled on two threads
// while the next block is read, written in input order, so memory stays flat whatever the
// table's length.
#include "vantrel-atlas/table_run.hpp"

#include <cmath>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "tables/point_table.hpp"
#include "src/exit_status.h"
#include "atlas/point_report.hpp"

namespace vantrel_atlas {
namespace {

constexpr std::size_t kBlockLines = 16384;

bool withinLimit(const atlas::Values3& values) {
  for (double v : values) {
    if (!(std::abs(v) <= kCoordinateLimit)) {
      return false;
    }
  }
  return true;
}

std::string rejectedRow(Format format, const atlas::InputLine& line) {
  if (format == Format::kTsv) {
    return "# line " + std::to_string(line.number) + ": rejected: " + line.reason + "\n";
  }
  const nlohmann::ordered_json object{
      {"line", line.number}, {"status", "rejected"}, {"error", line.reason}, {"text", line.text}};
  return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

// Splits a header line's fields by the same rule the table reader splits points by.
std::vector<std::string> extraNamesOf(const std::string& header) {
  std::vector<std::string> names;
  for (std::size_t at = header.find_first_not_of('\t'); at != std::string::npos;
       at = header.find_first_not_of('\t', at)) {
    const std::size_t end = header.find('\t', at);
    names.push_back(header.substr(at, end - at));
    at = end;
  }
  names.erase(names.begin(),
              names.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(3, names.size())));
  return names;
}

class BlockWriter {
 public:
  BlockWriter(std::FILE* out, const LoadedAtlases& atlases, const RowOptions& options,
              const PointSink& sink)
      : out_(out), atlases_(atlases), options_(options), sink_(sink) {}

  void add(atlas::InputLine line, TableSummary& summary) {
    if (!line.rejected && !withinLimit(line.givenValues)) {
      line.rejected = true;
      line.reason = "a coordinate is beyond +-1e9 mm";
    }
    ++(line.rejected ? summary.rejected : summary.labelled);
    block_.push_back(std::move(line));
    if (block_.size() == kBlockLines) {
      flush();
    }
  }

  // Hands the block read so far to the labelling threads and goes back to reading: one block
  // is labelled and written while the next is read, and blocks are written in order.
  void flush() {
    if (pending_.valid()) {
      pending_.get();
    }
    writing_ = std::move(block_);
    block_.clear();
    pending_ = std::async(std::launch::async, [this] { labelAndWrite(); });
  }

  void finish() {
    flush();
    pending_.get();
  }

 private:
  void labelAndWrite() {
    std::string first, second;
    std::vector<Labelled> firstKept, secondKept;
    const std::size_t half = writing_.size() / 2;
    std::thread helper([&] { writeRows(half, writing_.size(), second, secondKept); });
    writeRows(0, half, first, firstKept);
    helper.join();
    std::fwrite(first.data(), 1, first.size(), out_);
    std::fwrite(second.data(), 1, second.size(), out_);
    // Blocks are labelled one at a time, in order, so the sink sees the input's order.
    for (const auto* kept : {&firstKept, &secondKept}) {
      for (const auto& [given, answer] : *kept) {
        sink_(given, answer);
      }
    }
  }

  using Labelled = std::pair<GivenPoint, PointAnswer>;

  void writeRows(std::size_t begin, std::size_t end, std::string& text,
                 std::vector<Labelled>& kept) const {
    for (std::size_t i = begin; i < end; ++i) {
      const atlas::InputLine& line = writing_[i];
      if (line.rejected) {
        text += rejectedRow(options_.format, line);
        continue;
      }
      const GivenPoint given{line.number, options_.talairach, line.givenValues, line.extra};
      const PointAnswer answer = atlases_.labelMni(toMni(line.givenValues, options_.talairach));
      if (options_.format == Format::kTsv) {
        appendTsvRow(text, atlases_, given, answer);
      } else {
        text += pointJson(atlases_, given, answer);
      }
      if (sink_) {
        kept.emplace_back(given, answer);
      }
    }
  }

  std::FILE* out_;
  const LoadedAtlases& atlases_;
  const RowOptions& options_;
  const PointSink& sink_;
  std::vector<atlas::InputLine> block_, writing_;
  std::future<void> pending_;
};

}  // namespace

TableSummary labelTable(std::istream& in, std::FILE* out, const LoadedAtlases& atlases,
                        const RowOptions& options, const RunProvenance& provenance,
                        const PointSink& sink) {
  const bool tsv = options.format == Format::kTsv;
  const std::string opening =
      tsv ? provenanceComments(provenance, options.talairach)
          : nlohmann::ordered_json{{"provenance", provenanceJson(provenance)}}.dump(
                -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) +
                "\n";
  std::fputs(opening.c_str(), out);
  TableSummary summary;
  BlockWriter writer(out, atlases, options, sink);
  bool headerPossible = true;
  std::string text;
  for (std::size_t number = 1; std::getline(in, text); ++number) {
    atlas::InputLine line;
    const atlas::LineRole role = atlas::readLine(text, number, false, headerPossible, line);
    if (role == atlas::LineRole::kSkipped) {
      continue;
    }
    if (headerPossible && tsv) {
      const std::vector<std::string> names =
          role == atlas::LineRole::kHeader ? extraNamesOf(line.text) : std::vector<std::string>{};
      std::fputs(tsvHeader(atlases, names).c_str(), out);
    }
    headerPossible = false;
    if (role == atlas::LineRole::kPoint) {
      writer.add(std::move(line), summary);
    }
  }
  if (headerPossible && tsv) {
    std::fputs(tsvHeader(atlases, {}).c_str(), out);
  }
  writer.finish();
  std::fflush(out);
  return summary;
}

std::string summaryLine(const TableSummary& summary) {
  return "vantrel-atlas: " + std::to_string(summary.labelled) + " labelled, " +
         std::to_string(summary.rejected) + " rejected\n";
}

int exitStatusFor(const TableSummary& summary) {
  return summary.rejected > 0 ? vantrel::kExitBatchRejectedLines : vantrel::kExitSuccess;
}

}  // namespace vantrel_atlas
