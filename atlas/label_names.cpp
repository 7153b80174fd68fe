// The names of an atlas's label values, from a text table or from the text a NIfTI file
// carries between its header and its voxels.
#include "atlas/label_names.hpp"

#include <charconv>
#include <fstream>
#include <stdexcept>

namespace atlas {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kPadding{" \t\r\n\0", 5};
  const std::size_t first = text.find_first_not_of(kPadding);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kPadding) - first + 1);
}

bool readValue(std::string_view& line, std::int64_t& value) {
  const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (ec != std::errc() || end == line.data()) {
    return false;
  }
  line.remove_prefix(static_cast<std::size_t>(end - line.data()));
  return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

std::string_view nameIn(std::string_view rest, NameColumn column) {
  rest = trimmed(rest);
  if (column == NameColumn::kWord) {
    rest = rest.substr(0, rest.find_first_of(kBlanks));
  }
  return rest;
}

}  // namespace

LabelNames parseLabelNames(std::string_view text, NameColumn column, const std::string& source) {
  LabelNames names;
  for (int lineNumber = 1; !text.empty(); ++lineNumber) {
    const std::size_t end = text.find('\n');
    std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) {
      continue;
    }
    std::int64_t value = 0;
    const bool wellFormed = readValue(line, value) && !nameIn(line, column).empty();
    if (!wellFormed) {
      throw std::runtime_error(source + ":" + std::to_string(lineNumber) +
                               ": expected a label value and a name");
    }
    if (value == 0) {
      continue;
    }
    if (!names.emplace(value, nameIn(line, column)).second) {
      throw std::runtime_error(source + ":" + std::to_string(lineNumber) + ": value " +
                               std::to_string(value) + " is named twice");
    }
  }
  return names;
}

std::string readSmallFile(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error(path + ": cannot open the file");
  }
  std::string bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > limit) {
      throw std::runtime_error(path + ": larger than " + std::to_string(limit) + " bytes");
    }
  }
  if (in.bad()) {
    throw std::runtime_error(path + ": read error");
  }
  return bytes;
}

}  // namespace atlas
