// vantrel-batch's options, and the program they make up.
#pragma once

#include <cstdint>
#include <string>

#include "app/program.hpp"
#include "batch/row_format.hpp"
#include "src/vantrel.hpp"

namespace vantrel::batch {

struct BatchOptions {
  std::string input;  // a path, or "-" for standard input
  std::int32_t code = 2;
  std::int32_t cubesize = 5;
  std::string host = DAEMONHOST;
  int port = kDaemonPort;
  unsigned jobs = 8;
  double timeoutSeconds = 10.0;
  int retries = 2;  // more attempts for a query that was refused, reset or timed out
  OutputFormat format = OutputFormat::kTsv;
  bool mni = false;
};

// vantrel-batch: its one command, its exit statuses.
app::Program program();

}  // namespace vantrel::batch
