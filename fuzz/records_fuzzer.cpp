// Fuzzes the record validators: the first line of the input is the field
// pattern, the rest the record; the whole input is also a parameter string.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "src/cli/bad_input.hpp"
#include "src/vantrel.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = std::min(input.find('\n'), input.size());
  const std::string pattern = input.substr(0, split);
  std::string record = split < input.size() ? input.substr(split + 1) : std::string();

  isInt(record.c_str());
  isFloat(record.c_str());
  std::string stripped = record;
  strip_nl(stripped.data());
  verifyData(record.data(), pattern.c_str());
  try {
    std::int32_t code = 0;
    std::int32_t cubesize = 5;
    TextBuffer remainder;
    verifyParameters(input.c_str(), code, cubesize, remainder, kUsageLines);
  } catch (const BadInput&) {
  }
  return 0;
}
