// The report page: an ordered list of sections, laid out as one self-contained HTML file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "imaging/affine.hpp"

namespace report {

// Sections appear in the order of Page::sections; a later addition (a viewer, say) is one
// more Section inserted where it belongs. `html` is trusted markup, escaped by its maker.
struct Section {
  std::string id;
  std::string title;
  std::string html;
  std::string_view style = {};  // CSS its markup needs beyond the page's own, added once
};

struct Page {
  std::string title;
  std::vector<Section> sections;
};

std::string renderPage(const Page& page);

// Where one answer came from: an atlas or the input file.
struct Source {
  std::string name;    // atlas key, or "input"
  std::string file;    // as given or as found
  std::string sha256;  // hex
  std::string detail;  // grid, voxel size, labels, citation
};

struct Provenance {
  std::string commandLine;
  std::string toolVersion;
  std::string dataPackage;  // e.g. "mricron-data 1.0.20190902"
  std::string date;         // UTC, ISO 8601
  std::string transform;    // with its citation
  std::vector<Source> atlases;
  std::optional<Source> input;
};

Section commandSection(const Provenance& provenance);
Section provenanceSection(const Provenance& provenance);

// A figure shown on the page, or linked when browsers cannot show its format (PDF).
Section figureSection(const std::string& id, const std::string& title, const std::string& figure,
                      const std::string& caption);

struct Row {
  std::vector<std::string> cells;
  std::optional<imaging::Vec3> mni;  // carried as data-mni-x/y/z on the row
  std::string figure;              // relative path; the first cell links to it
  // Terms and their text, under the row and across the table: lists too long for a column.
  std::vector<std::pair<std::string, std::string>> details = {};
};

struct Table {
  std::vector<std::string> header;
  std::vector<Row> rows;
  std::size_t numberColumns = 0;  // the first columns hold numbers: each kept on one line
};

Section tableSection(const std::string& id, const std::string& title, const Table& table);

}  // namespace report
