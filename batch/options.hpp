// The command line of vantrel-batch.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "batch/row_format.hpp"

namespace vantrel::batch {

struct BatchOptions {
  std::string input;  // a path, or "-" for standard input
  std::int32_t code = 2;
  std::int32_t cubesize = 5;
  std::string host;
  int port = 0;
  unsigned jobs = 8;
  double timeoutSeconds = 10.0;
  int retries = 2;  // more attempts for a query that was refused, reset or timed out
  OutputFormat format = OutputFormat::kTsv;
  bool mni = false;
};

// The options, or the exit status of a run that ends here: 0 after --help or
// --version, kExitBadInput after a usage error (CLI11 has printed it).
struct ParsedOptions {
  BatchOptions options;
  std::optional<int> exitNow;
};

ParsedOptions parseOptions(int argc, const char* const argv[]);

}  // namespace vantrel::batch
