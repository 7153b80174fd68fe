// ReportError and the usage text: how bad input ends a run.
#include <cstdio>
#include <cstdlib>

#include "src/cli/bad_input.hpp"
#include "src/exit_status.h"
#include "src/vantrel.hpp"

namespace vantrel {

// Line 7 lacks the '>' after "Cubesize"; the text is printed as it always was.
const char* const kUsageLines[17] = {
    "\nUsage: Vantrel <Code><:Cubesize>, X, Y, Z\n",
    "<Code> refers to the database type\n",
    "to query for data values:\n",
    "  1 - Quendel data\n",
    "  2 - Talairach Label data\n",
    "  3 - 5mm x 5mm x 5mm cube search area\n",
    "      use <:Cubesize for sizes of 3, 5, 7, 9, or 11\n\n",
    "X, Y, Z are in Talairach coordinate space.\n",
    "for example:\n\n",
    "Vantrel 2, 6, 7, 8\n",
    "Returned: Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body\n\n",
    "Vantrel 3:3, 5,6,7\n",
    "Sent: 3:3,5,6,7\n",
    "Returned:\n",
    "18:Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body\n",
    "9:Right Cerebrum,Sub-lobar,Extra-Nuclear,Cerebro-Spinal Fluid,Lateral Ventricle\n",
    "",
};

// snprintf cuts a message that would not fit the buffer instead of overrunning it.
void ReportError(const char* format, const char* arg, UsageLines usage) {
  TextBuffer message{};
  std::snprintf(message.data(), message.size(), format, arg != nullptr ? arg : "");
#ifdef VANTREL_BAD_INPUT_THROWS
  (void)usage;
  throw BadInput{};
#else
  std::fprintf(stderr, "%s\n\n", message.data());
  for (UsageLines line = usage; line != nullptr && *line != nullptr && **line != '\0'; ++line) {
    std::printf("%s", *line);
  }
  std::exit(kExitBadInput);
#endif
}

}  // namespace vantrel
