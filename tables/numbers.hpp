// Numbers as the programs write them for people and tables: fixed decimals, trailing zeros
// dropped, never "-0".
#pragma once

#include <string>

namespace tables {

// Millimetres in every output, coordinates and volumes alike, are written to 0.001 mm, so that
// one point reads the same in every table and format.
inline constexpr int kMillimetreDecimals = 3;

// Appends `value` fixed with at most `decimals` (0 to 6) decimals, trailing zeros dropped.
void appendNumber(std::string& out, double value, int decimals);

// "-38", "10.125": as appendNumber writes them.
std::string formatNumber(double value, int decimals);

}  // namespace tables
