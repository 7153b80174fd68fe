// Vantrel's entry point: one query to the Orvo daemon per run.
#include <cstdio>

#include "src/cli/arguments.hpp"
#include "src/cli/messages.hpp"
#include "src/exit_status.h"
#include "src/protocol/protocol.hpp"
#include "src/vantrel.hpp"

int main(int argc, char* argv[]) {
  using namespace vantrel;
  if (argc < 2) {
    ReportError(message::kTooFewParameters, "", kUsageLines);
  }
  if (!argumentsFitParameterString(argc, argv)) {
    ReportError(message::kTooLong, "", kUsageLines);
  }

  TextBuffer params;
  concatArg(argc, argv, params);

  std::int32_t code = 0;
  std::int32_t cubesize = protocol::kDefaultCubesize;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
  verifyCommandline(params.data(), code, cubesize, x, y, z, kUsageLines);

  TextBuffer query;
  protocol::composeQueryText(code, cubesize, x, y, z, query);

  TextBuffer answer;
  answer.fill('\0');
  // Orvoquery has already told the user why the exchange failed.
  if (Orvoquery(query, answer) < 0) {
    return kExitExchangeFailed;
  }
  printOrvoAnswer(code, cubesize, x, y, z, answer, protocol::kReportLayout, stdout);
  return kExitSuccess;
}
