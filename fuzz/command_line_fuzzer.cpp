// Fuzzes the command-line path: argument joining, blank removal, the grammar
// and the query text, with NUL bytes of the input splitting the arguments.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/cli/arguments.hpp"
#include "src/cli/bad_input.hpp"
#include "src/protocol/protocol.hpp"
#include "src/vantrel.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments{"Vantrel"};
  for (std::size_t start = 0; start <= input.size() && arguments.size() < 64;) {
    const std::size_t end = std::min(input.find('\0', start), input.size());
    arguments.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  argv.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size());

  TextBuffer params;
  if (!argumentsFitParameterString(argc, argv.data())) {
    concatArg(argc, argv.data(), params);
    return 0;
  }
  concatArg(argc, argv.data(), params);
  TextBuffer blankFree;
  NULLSpace(params.data(), blankFree);
  isInt(params.data());
  try {
    std::int32_t code = 0, cubesize = protocol::kDefaultCubesize, x = 0, y = 0, z = 0;
    verifyCommandline(params.data(), code, cubesize, x, y, z, kUsageLines);
    TextBuffer query;
    protocol::composeQueryText(code, cubesize, x, y, z, query);
  } catch (const BadInput&) {
  }
  return 0;
}
