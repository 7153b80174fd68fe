// The words of an answer, derived from the atlases' own label names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvod {

enum class Side : unsigned char { Left, Right, Midline };

std::string_view sideName(Side side);

// The side a name states with its "_L" or "_R" ending, if it states one.
std::optional<Side> sideFromSuffix(std::string_view name);

// The side of a Talairach X coordinate: negative is left, zero the midline.
Side sideOfX(long long x);

// A white-matter tract's group, e.g. "Internal Capsule"; "None" for an unknown tract.
std::string tractGroup(std::string_view tract);
bool isBrainstemGroup(std::string_view group);

// Grey-matter regions: the lobe is the AAL code's thousands digit, and for the cerebellum
// (digit 9) the lobule in the name. "None" for a digit that names no lobe.
std::string greyLobe(std::string_view name, std::string_view code);
bool isCerebellarCode(std::string_view code);
// The name without its side, with blanks for underscores: "Frontal_Sup_Orb_L" -> "Frontal Sup Orb".
std::string greyRegion(std::string_view name);

// Quendel parcels, named "<G|S|N>_<structure>-<n>".
std::string parcelKind(std::string_view parcel);
std::string parcelStructure(std::string_view parcel);

}  // namespace orvod
