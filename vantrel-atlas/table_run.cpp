// Labelling a table as it streams in: a block of lines at a time, labelled on two threads
// while the next block is read, written in input order, so memory stays flat whatever the
// table's length.
#include "vantrel-atlas/table_run.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "atlas/point_answers.hpp"
#include "tables/point_table.hpp"
#include "tables/rows.hpp"

namespace vantrel_atlas {
namespace {

constexpr std::size_t kBlockLines = 16384;

// Beyond about this many points the maps cost less than searching point by point (measured with
// the six atlases and --nearest 10: the maps cost as much as 5,000 searches and triple the
// memory); the byte bound keeps a table of very long lines from being held in memory.
constexpr std::size_t kManyPointsLines = 4096;
constexpr std::size_t kPeekBytes = std::size_t{1} << 20;

bool withinLimit(const tables::Values3& values) {
  for (double v : values) {
    if (!(std::abs(v) <= kCoordinateLimit)) {
      return false;
    }
  }
  return true;
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

  void add(tables::InputLine line, TableSummary& summary) {
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
      const tables::InputLine& line = writing_[i];
      if (line.rejected) {
        text += tables::rejectedRow(
            options_.format == Format::kTsv ? tables::RowFormat::kTsv : tables::RowFormat::kJson,
            line);
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
  std::vector<tables::InputLine> block_, writing_;
  std::future<void> pending_;
};

}  // namespace

// The bytes already read, then the rest of the stream they came from.
class TablePeek::Rejoined : public std::streambuf {
 public:
  Rejoined(std::string& head, std::streambuf* rest) : rest_(rest) {
    setg(head.data(), head.data(), head.data() + head.size());
  }

 protected:
  int_type underflow() override {
    const std::streamsize got =
        rest_->sgetn(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (got <= 0) {
      return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  std::streambuf* rest_;
  std::array<char, 1 << 16> buffer_{};
};

TablePeek::TablePeek(std::istream& in) {
  std::size_t lines = 0;
  std::array<char, 1 << 16> block{};
  while (lines < kManyPointsLines && head_.size() < kPeekBytes &&
         in.read(block.data(), static_cast<std::streamsize>(block.size())).gcount() > 0) {
    const std::string_view got(block.data(), static_cast<std::size_t>(in.gcount()));
    lines += static_cast<std::size_t>(std::count(got.begin(), got.end(), '\n'));
    head_ += got;
  }
  manyPoints_ = lines >= kManyPointsLines || head_.size() >= kPeekBytes;
  rejoined_ = std::make_unique<Rejoined>(head_, in.rdbuf());
  stream_ = std::make_unique<std::istream>(rejoined_.get());
}

TableSummary labelTable(std::istream& in, std::FILE* out, const LoadedAtlases& atlases,
                        const RowOptions& options, const RunProvenance& provenance,
                        const PointSink& sink) {
  const bool tsv = options.format == Format::kTsv;
  const std::string opening = tsv ? provenanceComments(provenance, options.talairach)
                                  : tables::jsonLine({{"provenance", provenanceJson(provenance)}});
  std::fputs(opening.c_str(), out);
  TableSummary summary;
  BlockWriter writer(out, atlases, options, sink);
  tables::PointTableReader reader(in, false);
  bool first = true;
  tables::InputLine line;
  while (const std::optional<tables::LineRole> role = reader.next(line)) {
    if (first && tsv) {
      const std::vector<std::string> names =
          role == tables::LineRole::kHeader ? extraNamesOf(line.text) : std::vector<std::string>{};
      std::fputs(tsvHeader(atlases, names).c_str(), out);
    }
    first = false;
    if (role == tables::LineRole::kPoint) {
      writer.add(std::move(line), summary);
    }
  }
  if (first && tsv) {
    std::fputs(tsvHeader(atlases, {}).c_str(), out);
  }
  writer.finish();
  std::fflush(out);
  return summary;
}

}  // namespace vantrel_atlas
