// Helpers of the run sequence that are not part of the public interface.
#pragma once

#include <cstdint>

#include "vantrel.hpp"

namespace vantrel {

// True when the arguments after the program name, joined, fit a TextBuffer.
bool argumentsFitParameterString(int argc, const char* const argv[]);

// Composes the text sent to the daemon: "%d:%d,%d,%d,%d" for Code 3,
// "%d,%d,%d,%d" otherwise.
void composeQueryText(std::int32_t code, std::int32_t cubesize, std::int32_t x, std::int32_t y,
                      std::int32_t z, TextBuffer& query);

}  // namespace vantrel
