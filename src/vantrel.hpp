// Public interface of the Vantrel library: every routine a caller may use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vantrel {

inline constexpr std::size_t kTextBufferSize = 8192;
using TextBuffer = std::array<char, kTextBufferSize>;  // NUL-terminated text

// The longest text a TextBuffer holds; the byte after it is the terminator.
inline constexpr std::size_t kMaxTextLength = kTextBufferSize - 1;

// The usage lines: 16 lines, then one entry that holds the empty text "".
using UsageLines = const char* const*;
extern const char* const kUsageLines[17];

// Command line
void concatArg(int argc, const char* const argv[], TextBuffer& out);
void NULLSpace(const char* in, TextBuffer& out);
std::int32_t isInt(const char* text);
void verifyCommandline(const char* params, std::int32_t& code, std::int32_t& cubesize,
                       std::int32_t& x, std::int32_t& y, std::int32_t& z, UsageLines usage);
[[noreturn]] void ReportError(const char* format, const char* arg, UsageLines usage);

// Daemon exchange
extern const char* const DAEMONHOST;  // from VANTREL_DAEMONHOST
inline constexpr int kDaemonPort = 1600;
std::int32_t Orvoquery(const TextBuffer& query, TextBuffer& answer);  // 0, or -1 .. -5

// Answer output
void printOrvoAnswer(std::int32_t code, std::int32_t cubesize, std::int32_t x, std::int32_t y,
                     std::int32_t z, TextBuffer& answer, std::int32_t layout, std::FILE* out);

// Record validation
std::int32_t verifyData(char* record, const char* pattern);
std::int32_t isFloat(const char* text);
void strip_nl(char* text);
void verifyParameters(const char* params, std::int32_t& code, std::int32_t& cubesize,
                      TextBuffer& remainder, UsageLines usage);

}  // namespace vantrel
