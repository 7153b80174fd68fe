// One labelled point written for a person, as a TSV row or as a JSON object.
#include "atlas/point_report.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "atlas/provenance_report.hpp"

namespace vantrel_atlas {
namespace {

using json = nlohmann::ordered_json;

constexpr int kCoordinateDecimals = 3;
constexpr int kDistanceDecimals = 2;

const atlas::AtlasLabel& labelOf(const LoadedAtlases& atlases, std::size_t i, std::uint16_t index) {
  return atlases.atlases()[i].label(index);
}

std::string xyzText(const imaging::Vec3& p) {
  std::string text;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    text += axis == 0 ? "" : " ";
    appendNumber(text, p[axis], kCoordinateDecimals);
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

void appendCell(std::string& out, const std::string& text) {
  out += '\t';
  out += text;
}

}  // namespace

void appendNumber(std::string& out, double value, int decimals) {
  static constexpr std::array<double, 7> kScales{1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  const double scale = kScales[static_cast<std::size_t>(decimals)];
  double rounded = std::round(value * scale) / scale;
  if (rounded == 0) {
    rounded = 0;  // never "-0"
  }
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
  char* last = ec == std::errc() ? end : buffer;
  if (decimals > 0 && last != buffer) {
    while (last[-1] == '0') {
      --last;
    }
    if (last[-1] == '.') {
      --last;
    }
  }
  out.append(buffer, last);
}

std::string pointText(const LoadedAtlases& atlases, const PointAnswer& answer) {
  std::string text = "MNI        " + xyzText(answer.mni) + "\n";
  text += "Talairach  " + xyzText(answer.talairach) + "\n";
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    const AtlasAnswer& a = answer.atlases[i];
    std::string key(atlases.atlases()[i].entry().key);
    key.resize(std::max<std::size_t>(key.size(), 12), ' ');
    if (a.label != 0) {
      const atlas::AtlasLabel& label = labelOf(atlases, i, a.label);
      text += key + label.name + " (" + std::to_string(label.value) + ")";
    } else {
      text += key + "no label here";
      const std::string nearest = nearestText(atlases, i, a);
      text += nearest.empty() ? "" : "; " + nearest;
    }
    text += "\n";
    if (atlases.radii().withinMm) {
      text += std::string(12, ' ') + withinText(atlases, i, a) + "\n";
    }
  }
  return text;
}

std::string tsvHeader(const LoadedAtlases& atlases, const std::vector<std::string>& extraNames) {
  std::string header = "x\ty\tz";
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    const std::string key(a.entry().key);
    header += "\t" + key + "\t" + key + "_nearest\t" + key + "_mm";
    if (atlases.radii().withinMm) {
      header += "\t" + key + "_within";
    }
  }
  for (const std::string& name : extraNames) {
    appendCell(header, name);
  }
  return header + "\n";
}

void appendTsvRow(std::string& out, const LoadedAtlases& atlases, const GivenPoint& given,
                  const PointAnswer& answer) {
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (axis > 0) {
      out += '\t';
    }
    appendNumber(out, answer.mni[axis], kCoordinateDecimals);
  }
  appendAtlasCells(out, atlases, answer);
  for (const std::string& field : given.extra) {
    appendCell(out, field);
  }
  out += '\n';
}

void appendAtlasCells(std::string& out, const LoadedAtlases& atlases, const PointAnswer& answer) {
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    const AtlasAnswer& a = answer.atlases[i];
    appendCell(out, a.label != 0 ? labelOf(atlases, i, a.label).name : std::string());
    appendCell(out, a.nearest ? labelOf(atlases, i, a.nearest->index).name : std::string());
    out += '\t';
    if (a.nearest) {
      appendNumber(out, a.nearest->distanceMm, kDistanceDecimals);
    }
    if (atlases.radii().withinMm) {
      out += '\t';
      for (const atlas::LabelDistance& d : a.within) {
        out += &d == a.within.data() ? "" : ";";
        out += labelOf(atlases, i, d.index).name + ":";
        appendNumber(out, d.distanceMm, kDistanceDecimals);
      }
    }
  }
}

nlohmann::ordered_json labelsJson(const LoadedAtlases& atlases, const PointAnswer& answer) {
  json labels = json::array();
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    const AtlasAnswer& a = answer.atlases[i];
    json entry{{"atlas", atlases.atlases()[i].entry().key}, {"label", nullptr}, {"value", nullptr}};
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
  return object.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace vantrel_atlas
