// The scan of a parameter string's <Code> and <:Cubesize> prefix, shared by
// verifyCommandline and verifyParameters.
#pragma once

#include <cstdint>

#include "vantrel.hpp"

namespace vantrel::detail {

// How a token becomes a value: Integer tokens must pass isInt and fit 32 bits
// (else the non-integer message); Lenient tokens are read for their leading
// integer with no syntax test.
enum class TokenSyntax { Integer, Lenient };

struct ParameterScan {
  TextBuffer working;  // the parameter string without blanks, cut in place
  TextBuffer echo;     // the same text uncut, shown by every message
  char* cursor;        // where the next token starts in `working`
  UsageLines usage;
  TokenSyntax syntax;

  ParameterScan() = default;
  ParameterScan(const ParameterScan&) = delete;  // `cursor` points into `working`
  ParameterScan& operator=(const ParameterScan&) = delete;
};

// Rejects a text longer than a TextBuffer holds, then fills the working and
// echo copies.
void startParameterScan(ParameterScan& scan, const char* params, UsageLines usage,
                        TokenSyntax syntax);

[[noreturn]] void reportScanError(const ParameterScan& scan, const char* format);

// Takes the next token; reports `missingMessage` when there is none.
char* takeToken(ParameterScan& scan, char delimiter, const char* missingMessage);

std::int32_t tokenValue(const ParameterScan& scan, const char* token);

// Reads <Code>, and in the colon form <:Cubesize>, with their range tests.
void scanCodeAndCubesize(ParameterScan& scan, std::int32_t& code, std::int32_t& cubesize);

}  // namespace vantrel::detail
