// The text tables that name the values of a label volume.
#include "orvod/label_table.hpp"

#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orvod {
namespace {

bool parseValue(const std::string& token, int& value) {
  const char* end = token.data() + token.size();
  auto [ptr, ec] = std::from_chars(token.data(), end, value);
  return ec == std::errc() && ptr == end && value >= 0 && value <= 255;
}

}  // namespace

LabelTable parseLabelTable(std::istream& in, const std::string& source) {
  LabelTable table;
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    std::istringstream fields(line);
    std::string valueText, name, code;
    if (!(fields >> valueText)) {
      continue;
    }
    int value = 0;
    if (!parseValue(valueText, value) || !(fields >> name)) {
      throw std::runtime_error(source + ":" + std::to_string(lineNumber) +
                               ": expected a value 0..255 and a name");
    }
    fields >> code;
    table[static_cast<std::size_t>(value)] = {name, code};
  }
  return table;
}

LabelTable readLabelTable(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error(path + ": cannot open the label table");
  }
  return parseLabelTable(in, path);
}

}  // namespace orvod
