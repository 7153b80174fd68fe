// A point's probabilities as the outputs write them, rounded in whole numbers of hundredths so
// that no binary fraction tips a half the wrong way.
#include "atlas/probability_text.hpp"

namespace atlas {

std::string probabilitiesText(std::span<const RegionProbability> ranked, const Regions& regions) {
  std::string text;
  for (const RegionProbability& p : ranked) {
    text += text.empty() ? "" : "; ";
    text += std::to_string((p.centiPercent + 50) / 100);
    text += "% ";
    text += regions[p.region].name;
  }
  return text;
}

nlohmann::ordered_json probabilitiesJson(std::span<const RegionProbability> ranked,
                                         const Regions& regions) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const RegionProbability& p : ranked) {
    const Region& region = regions[p.region];
    list.push_back({{"label", region.name},
                    {"value", region.index},
                    {"percent", ((p.centiPercent + 5) / 10) / 10.0}});
  }
  return list;
}

}  // namespace atlas
