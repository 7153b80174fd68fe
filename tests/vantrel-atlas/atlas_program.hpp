// Runs the built vantrel-atlas on the test's atlas folder, and reads its JSON lines back.
#pragma once

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "testkit/process.hpp"
#include "tests/atlas/atlas_fixture.hpp"

namespace vantrel_atlas::test {

// The command first, then the test's atlas folder unless the case names its own.
inline vantrel::kit::ProcessResult runAtlas(std::vector<std::string> args,
                                            const std::vector<std::string>& env = {}) {
  if (!args.empty() && std::find(args.begin(), args.end(), "--data") == args.end()) {
    args.insert(args.begin() + 1, {"--data", ATLAS_TEST_DATA_DIR});
  }
  return vantrel::kit::runProcess(VANTREL_ATLAS_BINARY, args, env);
}

inline std::vector<nlohmann::json> jsonRecords(const std::string& out) {
  std::vector<nlohmann::json> records;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    records.push_back(nlohmann::json::parse(line));
  return records;
}

}  // namespace vantrel_atlas::test
