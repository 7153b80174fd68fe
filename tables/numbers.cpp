// Numbers as the programs write them for people and tables: fixed decimals, trailing zeros
// dropped, never "-0".
#include "tables/numbers.hpp"

#include <array>
#include <charconv>
#include <cmath>

namespace tables {

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

std::string formatNumber(double value, int decimals) {
  std::string text;
  appendNumber(text, value, decimals);
  return text;
}

}  // namespace tables
