// A point's answers written out: as text for a person, as a TSV row, or as a JSON object.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "atlas/label_atlas.hpp"
#include "imaging/affine.hpp"
#include "atlas/labelling.hpp"
#include "tables/rows.hpp"

namespace vantrel_atlas {

// The point as the user gave it.
struct GivenPoint {
  std::optional<std::size_t> line;  // its line in a table
  bool talairach = false;
  imaging::Vec3 values{};
  std::vector<std::string> extra;  // a table's further fields
};

// The MNI and Talairach coordinates, then a line per atlas.
std::string pointText(const LoadedAtlases& atlases, const PointAnswer& answer);

// "x y z", then <key> <key>_nearest <key>_mm per atlas (and <key>_within with --within), then
// the names of any extra fields.
std::string tsvHeader(const LoadedAtlases& atlases, const std::vector<std::string>& extraNames);
// Appends one row: cells without a label are empty.
void appendTsvRow(std::string& out, const LoadedAtlases& atlases, const GivenPoint& given,
                  const PointAnswer& answer);

// The cells of every atlas: label, nearest label and its distance (and within, with --within).
void addAtlasCells(tables::TsvRow& row, const LoadedAtlases& atlases, const PointAnswer& answer);
// The names of the cells addAtlasCells writes.
void addAtlasHeaderCells(tables::TsvRow& row, const LoadedAtlases& atlases);

// The "labels" array of a point's JSON object: one entry per atlas.
nlohmann::ordered_json labelsJson(const LoadedAtlases& atlases, const PointAnswer& answer);

// One JSON object and its newline.
std::string pointJson(const LoadedAtlases& atlases, const GivenPoint& given,
                      const PointAnswer& answer);

}  // namespace vantrel_atlas
