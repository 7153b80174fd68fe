// Reads the region names kept beside a label image, in the forms researchers hold them.
#include "atlas/label_tables.hpp"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <stdexcept>

namespace atlas {
namespace {

// Tables beside an atlas are small; anything larger is not one.
constexpr std::size_t kMaxTableBytes = std::size_t{16} << 20;

std::string_view withoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
    line.remove_suffix(1);
  }
  return line;
}

std::vector<std::string_view> tabFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) {
      return fields;
    }
    start = tab + 1;
  }
}

[[noreturn]] void refuseRow(const std::string& source, int line, const std::string& why) {
  throw std::runtime_error(source + ":" + std::to_string(line) + ": " + why);
}

// Regions in their table's order, with the set of indices seen to refuse repeats.
struct RegionList {
  Regions regions;
  std::set<std::int64_t> seen;
};

void addRegion(RegionList& list, std::string_view indexText, std::string_view name,
               const std::string& source, int line) {
  std::int64_t index = 0;
  const auto [end, ec] =
      std::from_chars(indexText.data(), indexText.data() + indexText.size(), index);
  if (ec != std::errc() || indexText.empty() || end != indexText.data() + indexText.size()) {
    refuseRow(source, line, "index '" + std::string(indexText) + "' is not a whole number");
  }
  if (name.size() > kMaxRegionName) {
    refuseRow(source, line, "a name longer than " + std::to_string(kMaxRegionName) +
                                " characters");
  }
  if (!list.seen.insert(index).second) {
    refuseRow(source, line, "index " + std::to_string(index) + " is given twice");
  }
  list.regions.push_back({index, std::string(name)});
}

bool isText(std::string_view bytes) {
  return std::none_of(bytes.begin(), bytes.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && c != '\t' && c != '\n' && c != '\r';
  });
}

std::string withoutNiftiExtension(const std::string& image) {
  for (const std::string_view extension : {".nii.gz", ".nii"}) {
    if (image.size() > extension.size() && image.ends_with(extension)) {
      return image.substr(0, image.size() - extension.size());
    }
  }
  return image;
}

}  // namespace

LabelNames namesOf(const Regions& regions) {
  LabelNames names;
  for (const Region& region : regions) {
    if (region.index != 0) {
      names.emplace(region.index, region.name);
    }
  }
  return names;
}

std::optional<Regions> parseLabelTsv(std::string_view text, const std::string& source) {
  const std::size_t headerEnd = text.find('\n');
  const std::vector<std::string_view> header = tabFields(withoutLineEnd(text.substr(0, headerEnd)));
  const auto column = [&](std::string_view name) {
    return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  const std::size_t indexColumn = column("index"), nameColumn = column("name");
  if (indexColumn == header.size() || nameColumn == header.size()) {
    return std::nullopt;
  }
  RegionList list;
  text.remove_prefix(headerEnd == std::string_view::npos ? text.size() : headerEnd + 1);
  for (int line = 2; !text.empty(); ++line) {
    const std::size_t end = text.find('\n');
    const std::string_view row = withoutLineEnd(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (row.empty()) {
      continue;
    }
    const std::vector<std::string_view> fields = tabFields(row);
    if (fields.size() <= std::max(indexColumn, nameColumn)) {
      refuseRow(source, line, "fewer fields than the header names");
    }
    addRegion(list, fields[indexColumn], fields[nameColumn], source, line);
  }
  return std::move(list.regions);
}

std::optional<Regions> parseLabelText(std::string_view bytes, const std::string& source) {
  if (!isText(bytes)) {
    return std::nullopt;
  }
  RegionList list;
  constexpr std::string_view kBlanks = " \t";
  for (int line = 1; !bytes.empty(); ++line) {
    const std::size_t end = bytes.find('\n');
    std::string_view row = withoutLineEnd(bytes.substr(0, end));
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    const std::size_t first = row.find_first_not_of(kBlanks);
    if (first == std::string_view::npos || row[first] == '#') {
      continue;
    }
    row.remove_prefix(first);
    const std::size_t indexEnd = std::min(row.find_first_of(kBlanks), row.size());
    const std::size_t nameStart = row.find_first_not_of(kBlanks, indexEnd);
    if (nameStart == std::string_view::npos) {
      refuseRow(source, line, "expected an index and a name");
    }
    const std::string_view name = row.substr(nameStart, row.find_first_of(kBlanks, nameStart) -
                                                            nameStart);
    addRegion(list, row.substr(0, indexEnd), name, source, line);
  }
  return std::move(list.regions);
}

std::vector<std::string> labelTableCandidates(const std::string& image) {
  const std::string name = withoutNiftiExtension(image);
  return {name + ".tsv", name + ".txt", name + ".nii.txt", name + ".lut"};
}

std::optional<FoundLabelTable> findLabelTable(const std::string& image) {
  for (const std::string& candidate : labelTableCandidates(image)) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(candidate, error)) {
      continue;
    }
    const std::string bytes = readSmallFile(candidate, kMaxTableBytes);
    std::optional<Regions> regions = candidate.ends_with(".tsv")
                                          ? parseLabelTsv(bytes, candidate)
                                          : parseLabelText(bytes, candidate);
    if (regions) {
      return FoundLabelTable{candidate, std::move(*regions)};
    }
  }
  return std::nullopt;
}

}  // namespace atlas
