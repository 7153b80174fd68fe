// The words of an answer, derived from the atlases' own label names.
#include "orvod/vocabulary.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace orvod {
namespace {

struct TractRule {
  enum Match { Prefix, Contains } match;
  std::string_view pattern;
  std::string_view group;
  bool brainstem;
};

// First match wins. The superior fronto-occipital rows say "could be a part of anterior
// internal capsule" in their names, so they are tried before the internal capsule.
constexpr std::array<TractRule, 17> kTractRules{{
    {TractRule::Contains, "cerebellar_peduncle", "Cerebellar Peduncle", true},
    {TractRule::Prefix, "Pontine_crossing", "Pontine Crossing Tract", true},
    {TractRule::Contains, "corpus_callosum", "Corpus Callosum", false},
    {TractRule::Prefix, "Fornix", "Fornix", false},
    {TractRule::Prefix, "Corticospinal", "Corticospinal Tract", true},
    {TractRule::Prefix, "Medial_lemniscus", "Medial Lemniscus", true},
    {TractRule::Prefix, "Cerebral_peduncle", "Cerebral Peduncle", true},
    {TractRule::Prefix, "Superior_fronto-occipital", "Superior Fronto-occipital Fasciculus", false},
    {TractRule::Contains, "internal_capsule", "Internal Capsule", false},
    {TractRule::Contains, "corona_radiata", "Corona Radiata", false},
    {TractRule::Prefix, "Posterior_thalamic_radiation", "Posterior Thalamic Radiation", false},
    {TractRule::Prefix, "Sagittal_stratum", "Sagittal Stratum", false},
    {TractRule::Prefix, "External_capsule", "External Capsule", false},
    {TractRule::Prefix, "Cingulum", "Cingulum", false},
    {TractRule::Prefix, "Superior_longitudinal", "Superior Longitudinal Fasciculus", false},
    {TractRule::Prefix, "Uncinate", "Uncinate Fasciculus", false},
    {TractRule::Prefix, "Tapetum", "Tapetum", false},
}};

bool matches(const TractRule& rule, std::string_view tract) {
  return rule.match == TractRule::Prefix ? tract.starts_with(rule.pattern)
                                         : tract.find(rule.pattern) != std::string_view::npos;
}

std::string underscoresToBlanks(std::string_view text) {
  std::string result(text);
  std::replace(result.begin(), result.end(), '_', ' ');
  return result;
}

std::string_view withoutSideSuffix(std::string_view name) {
  return sideFromSuffix(name) ? name.substr(0, name.size() - 2) : name;
}

int thousandsDigit(std::string_view code) {
  int value = 0;
  auto [ptr, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
  if (ec != std::errc() || ptr != code.data() + code.size() || value < 0) {
    return -1;
  }
  return value / 1000;
}

// AAL spells the cerebellum "Cerebelum"; the lobule follows it or "Vermis".
std::string cerebellarLobe(std::string_view name) {
  std::string_view lobule = withoutSideSuffix(name);
  for (std::string_view prefix : {"Cerebelum_", "Vermis_"}) {
    if (lobule.starts_with(prefix)) {
      lobule.remove_prefix(prefix.size());
    }
  }
  if (lobule == "1_2" || lobule == "3" || lobule == "4_5") {
    return "Anterior Lobe";
  }
  if (lobule == "10") {
    return "Flocculonodular Lobe";
  }
  return "Posterior Lobe";
}

}  // namespace

std::string_view sideName(Side side) {
  switch (side) {
    case Side::Left:
      return "Left";
    case Side::Right:
      return "Right";
    case Side::Midline:
      break;
  }
  return "Midline";
}

std::optional<Side> sideFromSuffix(std::string_view name) {
  if (name.ends_with("_L")) {
    return Side::Left;
  }
  if (name.ends_with("_R")) {
    return Side::Right;
  }
  return std::nullopt;
}

Side sideOfX(long long x) {
  return x < 0 ? Side::Left : x > 0 ? Side::Right : Side::Midline;
}

std::string tractGroup(std::string_view tract) {
  for (const TractRule& rule : kTractRules) {
    if (matches(rule, tract)) {
      return std::string(rule.group);
    }
  }
  return "None";
}

bool isBrainstemGroup(std::string_view group) {
  return std::any_of(kTractRules.begin(), kTractRules.end(), [group](const TractRule& rule) {
    return rule.brainstem && rule.group == group;
  });
}

std::string greyLobe(std::string_view name, std::string_view code) {
  switch (thousandsDigit(code)) {
    case 2:
      return "Frontal Lobe";
    case 3:
      return "Insular Lobe";
    case 4:
      return "Limbic Lobe";
    case 5:
      return "Occipital Lobe";
    case 6:
      return "Parietal Lobe";
    case 7:
      return "Sub-lobar";
    case 8:
      return "Temporal Lobe";
    case 9:
      return cerebellarLobe(name);
    default:
      return "None";
  }
}

bool isCerebellarCode(std::string_view code) {
  return thousandsDigit(code) >= 9;
}

std::string greyRegion(std::string_view name) {
  return underscoresToBlanks(withoutSideSuffix(name));
}

std::string parcelKind(std::string_view parcel) {
  if (parcel.starts_with("G_")) {
    return "Gyrus";
  }
  if (parcel.starts_with("S_")) {
    return "Sulcus";
  }
  if (parcel.starts_with("N_")) {
    return "Nucleus";
  }
  return "None";
}

std::string parcelStructure(std::string_view parcel) {
  if (parcelKind(parcel) != "None") {
    parcel.remove_prefix(2);
  }
  const auto dash = parcel.rfind('-');
  if (dash != std::string_view::npos && dash + 1 < parcel.size() &&
      std::all_of(parcel.begin() + static_cast<std::ptrdiff_t>(dash) + 1, parcel.end(),
                  [](unsigned char c) { return std::isdigit(c) != 0; })) {
    parcel = parcel.substr(0, dash);
  }
  return underscoresToBlanks(parcel);
}

}  // namespace orvod
