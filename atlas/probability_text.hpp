// A point's probabilities as the outputs write them: "47% Precentral Gyrus; 23% Postcentral
// Gyrus" in text and TSV, and an array of label, value and percent in JSON.
#pragma once

#include <nlohmann/json.hpp>

#include <span>
#include <string>

#include "atlas/label_tables.hpp"
#include "atlas/probabilities.hpp"

namespace atlas {

// Percentages are rounded half up from the hundredths kept: to a whole percent in text and TSV,
// where they are read at a glance, and to one decimal in JSON, where they are computed with.
// `ranked` is in the order written; `regions` are the atlas's in volume order.

// "47% Precentral Gyrus; 23% Postcentral Gyrus"; empty for no region.
std::string probabilitiesText(std::span<const RegionProbability> ranked, const Regions& regions);

// [{"label": "Precentral Gyrus", "value": 6, "percent": 47.0}, ...], where value is the
// region's index as the atlas defines it.
nlohmann::ordered_json probabilitiesJson(std::span<const RegionProbability> ranked,
                                         const Regions& regions);

}  // namespace atlas
