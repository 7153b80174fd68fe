// Helpers of the run sequence that are not part of the public interface.
#pragma once

#include <cstdint>

#include "src/vantrel.hpp"

namespace vantrel {

// True when the arguments after the program name, joined, fit a TextBuffer.
bool argumentsFitParameterString(int argc, const char* const argv[]);

}  // namespace vantrel
