// A point's answers written out: as text for a person, as a TSV row, or as a JSON object.
#include "atlas/point_answers.hpp"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string_view>

#include "atlas/probability_text.hpp"
#include "tables/numbers.hpp"

namespace vantrel_atlas {
namespace {

using json = nlohmann::ordered_json;
using tables::appendNumber;
using tables::formatNumber;

constexpr int kDistanceDecimals = 2;

const atlas::AtlasLabel& labelOf(const LoadedAtlases& atlases, std::size_t i, std::uint16_t index) {
  return atlases.atlases()[i].label(index);
}

const atlas::Regions& regionsOf(const LoadedAtlases& atlases, std::size_t i) {
  return atlases.atlases()[i].regions();
}

std::string xyzText(const imaging::Vec3& p) {
  std::string text;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    text += axis == 0 ? "" : " ";
    appendNumber(text, p[axis], tables::kMillimetreDecimals);
  }
  return text;
}

std::string nearestText(const LoadedAtlases& atlases, std::size_t i, const AtlasAnswer& a) {
  if (!a.nearest) {
    return atlases.radii().nearestMm > 0
               ? "nothing named within " + formatNumber(atlases.radii().nearestMm, 2) + " mm"
               : "";
  }
  const atlas::AtlasLabel& label = labelOf(atlases, i, a.nearest->index);
  return "nearest " + label.name + " (" + std::to_string(label.value) + ") at " +
         formatNumber(a.nearest->distanceMm, kDistanceDecimals) + " mm";
}

std::string withinText(const LoadedAtlases& atlases, std::size_t i, const AtlasAnswer& a) {
  std::string text = "within " + formatNumber(*atlases.radii().withinMm, 2) + " mm:";
  if (a.within.empty()) {
    return text + " none";
  }
  for (const atlas::LabelDistance& d : a.within) {
    text += (&d == a.within.data() ? " " : ", ") + labelOf(atlases, i, d.index).name + " " +
            formatNumber(d.distanceMm, kDistanceDecimals);
  }
  return text;
}

json labelJson(const atlas::AtlasLabel& label) {
  return {{"label", label.name}, {"value", label.value}};
}

json distanceJson(const LoadedAtlases& atlases, std::size_t i, const atlas::LabelDistance& d) {
  json object = labelJson(labelOf(atlases, i, d.index));
  object["distance_mm"] = std::round(d.distanceMm * 100) / 100;
  return object;
}

json xyzJson(const imaging::Vec3& p) {
  return {{"x", p[0]}, {"y", p[1]}, {"z", p[2]}};
}

}  // namespace

std::string pointText(const LoadedAtlases& atlases, const PointAnswer& answer) {
  std::string text = "MNI        " + xyzText(answer.mni) + "\n";
  text += "Talairach  " + xyzText(answer.talairach) + "\n";
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    const AtlasAnswer& a = answer.atlases[i];
    std::string key(atlases.atlases()[i].description().key);
    key.resize(std::max<std::size_t>(key.size(), 12), ' ');
    if (a.label != 0) {
      const atlas::AtlasLabel& label = labelOf(atlases, i, a.label);
      text += key + label.name + " (" + std::to_string(label.value) + ")";
    } else {
      text += key + "no label here";
      const std::string nearest = nearestText(atlases, i, a);
      text += nearest.empty() ? "" : "; " + nearest;
    }
    if (atlases.atlases()[i].probabilities() != nullptr) {
      const std::string listed = atlas::probabilitiesText(a.probabilities, regionsOf(atlases, i));
      text += "; " + (listed.empty() ? std::string("no probability here") : listed);
    }
    text += "\n";
    if (atlases.radii().withinMm) {
      text += std::string(12, ' ') + withinText(atlases, i, a) + "\n";
    }
  }
  return text;
}

std::string tsvHeader(const LoadedAtlases& atlases, const std::vector<std::string>& extraNames) {
  std::string header;
  tables::TsvRow row(header);
  row.cell("x").cell("y").cell("z");
  addAtlasHeaderCells(row, atlases);
  row.cells(extraNames).end();
  return header;
}

void addAtlasHeaderCells(tables::TsvRow& row, const LoadedAtlases& atlases) {
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    const std::string key(a.description().key);
    row.cell(key).cell(key + "_nearest").cell(key + "_mm");
    if (atlases.radii().withinMm) {
      row.cell(key + "_within");
    }
    if (a.probabilities() != nullptr) {
      row.cell(key + "_probabilities");
    }
  }
}

void appendTsvRow(std::string& out, const LoadedAtlases& atlases, const GivenPoint& given,
                  const PointAnswer& answer) {
  tables::TsvRow row(out);
  for (std::size_t axis = 0; axis < 3; ++axis) {
    row.cell(answer.mni[axis], tables::kMillimetreDecimals);
  }
  addAtlasCells(row, atlases, answer);
  row.cells(given.extra).end();
}

void addAtlasCells(tables::TsvRow& row, const LoadedAtlases& atlases, const PointAnswer& answer) {
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    const AtlasAnswer& a = answer.atlases[i];
    row.cell(a.label != 0 ? labelOf(atlases, i, a.label).name : std::string_view());
    if (a.nearest) {
      row.cell(labelOf(atlases, i, a.nearest->index).name)
          .cell(a.nearest->distanceMm, kDistanceDecimals);
    } else {
      row.cell("").cell("");
    }
    if (atlases.radii().withinMm) {
      std::string within;
      for (const atlas::LabelDistance& d : a.within) {
        within += &d == a.within.data() ? "" : ";";
        within += labelOf(atlases, i, d.index).name + ":";
        appendNumber(within, d.distanceMm, kDistanceDecimals);
      }
      row.cell(within);
    }
    if (atlases.atlases()[i].probabilities() != nullptr) {
      row.cell(atlas::probabilitiesText(a.probabilities, regionsOf(atlases, i)));
    }
  }
}

nlohmann::ordered_json labelsJson(const LoadedAtlases& atlases, const PointAnswer& answer) {
  json labels = json::array();
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    const AtlasAnswer& a = answer.atlases[i];
    json entry{
        {"atlas", atlases.atlases()[i].description().key}, {"label", nullptr}, {"value", nullptr}};
    if (a.label != 0) {
      const atlas::AtlasLabel& label = labelOf(atlases, i, a.label);
      entry["label"] = label.name;
      entry["value"] = label.value;
    }
    entry["nearest"] = a.nearest ? distanceJson(atlases, i, *a.nearest) : json(nullptr);
    if (atlases.radii().withinMm) {
      json within = json::array();
      for (const atlas::LabelDistance& d : a.within) {
        within.push_back(distanceJson(atlases, i, d));
      }
      entry["within"] = std::move(within);
    }
    if (atlases.atlases()[i].probabilities() != nullptr) {
      entry["probabilities"] = atlas::probabilitiesJson(a.probabilities, regionsOf(atlases, i));
    }
    labels.push_back(std::move(entry));
  }
  return labels;
}

std::string pointJson(const LoadedAtlases& atlases, const GivenPoint& given,
                      const PointAnswer& answer) {
  json object;
  if (given.line) {
    object["line"] = *given.line;
  }
  object["input"] = {{"space", given.talairach ? "talairach" : "mni"},
                     {"x", given.values[0]},
                     {"y", given.values[1]},
                     {"z", given.values[2]}};
  object["mni"] = xyzJson(answer.mni);
  object["talairach"] = xyzJson(answer.talairach);
  object["labels"] = labelsJson(atlases, answer);
  if (given.line) {
    object["extra"] = given.extra;
  }
  return tables::jsonLine(object);
}

}  // namespace vantrel_atlas
