// The printer's tabular rows: written through printOrvoAnswer into memory, and read back.
#include "batch/tabular_answer.hpp"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace vantrel::batch {

namespace {

constexpr std::int32_t kTabularLayout = 1;
constexpr std::size_t kCoordinateColumns = 3;

struct FreeBuffer {
  void operator()(char* buffer) const { std::free(buffer); }
};

// Splits at every tab, keeping empty columns: the printer's tabs are exact.
std::vector<std::string_view> columns(std::string_view row) {
  std::vector<std::string_view> cut;
  std::size_t start = 0;
  for (std::size_t tab = row.find('\t'); tab != std::string_view::npos;
       tab = row.find('\t', start)) {
    cut.push_back(row.substr(start, tab - start));
    start = tab + 1;
  }
  cut.push_back(row.substr(start));
  return cut;
}

std::vector<std::string_view> rowsOf(std::string_view text) {
  std::vector<std::string_view> rows;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    rows.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
  return rows;
}

std::string joined(const std::vector<std::string_view>& parts, std::size_t from, char glue) {
  std::string text;
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (i > from) {
      text += glue;
    }
    text += parts[i];
  }
  return text;
}

}  // namespace

std::string printTabular(const Query& query, TextBuffer& answer) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* stream = open_memstream(&buffer, &size);
  if (stream == nullptr) {
    throw std::bad_alloc();
  }
  printOrvoAnswer(query.code, query.cubesize, query.point[0], query.point[1], query.point[2],
                  answer, kTabularLayout, stream);
  std::fclose(stream);
  const std::unique_ptr<char, FreeBuffer> owned(buffer);
  return std::string(buffer, size);
}

AnswerView readTabularRows(std::string_view rows, bool pairAnswer, bool starred) {
  AnswerView view;
  view.starred = starred;
  for (const std::string_view row : rowsOf(rows)) {
    const std::vector<std::string_view> cut = columns(row);
    if (cut.size() <= kCoordinateColumns) {
      continue;
    }
    if (starred) {
      view.message = joined(cut, kCoordinateColumns, '\t');
    } else if (!pairAnswer) {
      view.fields.assign(cut.begin() + kCoordinateColumns, cut.end());
    } else {
      const std::string count(cut[kCoordinateColumns]);
      view.pairs.emplace_back(std::atoi(count.c_str()), joined(cut, kCoordinateColumns + 1, ','));
    }
  }
  return view;
}

}  // namespace vantrel::batch
