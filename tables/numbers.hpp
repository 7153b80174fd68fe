// Numbers as the programs write them for people and tables: fixed decimals, trailing zeros
// dropped, never "-0".
#pragma once

#include <string>

namespace tables {

// Appends `value` fixed with at most `decimals` (0 to 6) decimals, trailing zeros dropped.
void appendNumber(std::string& out, double value, int decimals);

// "-38", "10.125": as appendNumber writes them.
std::string formatNumber(double value, int decimals);

}  // namespace tables
