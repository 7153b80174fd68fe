// The parameter string's grammar: the <Code> and <:Cubesize> prefix that
// verifyCommandline and verifyParameters share, then the coordinates or the
// token after it.
#include <cstring>

#include "src/cli/messages.hpp"
#include "src/protocol/protocol.hpp"
#include "src/text/text.hpp"
#include "src/vantrel.hpp"

namespace vantrel {

namespace {

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

[[noreturn]] void reportScanError(const ParameterScan& scan, const char* format) {
  ReportError(format, scan.echo.data(), scan.usage);
}

// Takes the next token; reports `missingMessage` when there is none.
char* takeToken(ParameterScan& scan, char delimiter, const char* missingMessage) {
  char* token = text::cutToken(scan.cursor, delimiter);
  if (token == nullptr) {
    reportScanError(scan, missingMessage);
  }
  return token;
}

std::int32_t tokenValue(const ParameterScan& scan, const char* token) {
  if (scan.syntax == TokenSyntax::Lenient) {
    return text::leadingInt32(token);
  }
  std::int32_t value = 0;
  if (isInt(token) == 0 || !text::convertInt32(token, value)) {
    reportScanError(scan, message::kNonInteger);
  }
  return value;
}

void scanColonForm(ParameterScan& scan, std::int32_t& code, std::int32_t& cubesize) {
  code = tokenValue(scan, takeToken(scan, ':', message::kCubesizeRange));
  if (code != protocol::kCubeCode) {
    reportScanError(scan, message::kCubesizeNeedsCode3);
  }
  cubesize = tokenValue(scan, takeToken(scan, ',', message::kCubesizeSyntax));
  if (!protocol::isCubesize(cubesize)) {
    reportScanError(scan, message::kCubesizeRange);
  }
}

void scanPlainForm(ParameterScan& scan, std::int32_t& code) {
  code = tokenValue(scan, takeToken(scan, ',', message::kCodeSyntax));
  if (!protocol::isCode(code)) {
    reportScanError(scan, message::kCodeRange);
  }
}

// Rejects a text longer than a TextBuffer holds, then fills the working and
// echo copies.
void startParameterScan(ParameterScan& scan, const char* params, UsageLines usage,
                        TokenSyntax syntax) {
  scan.usage = usage;
  scan.syntax = syntax;
  if (params == nullptr) {
    params = "";
  }
  if (strnlen(params, kTextBufferSize) > kMaxTextLength) {
    ReportError(message::kTooLong, "", usage);
  }
  NULLSpace(params, scan.working);
  scan.echo.fill('\0');
  std::memcpy(scan.echo.data(), scan.working.data(), scan.working.size());
  scan.cursor = scan.working.data();
}

// Reads <Code>, and in the colon form <:Cubesize>, with their range tests.
void scanCodeAndCubesize(ParameterScan& scan, std::int32_t& code, std::int32_t& cubesize) {
  if (text::contains(scan.working.data(), ':')) {
    scanColonForm(scan, code, cubesize);
  } else {
    scanPlainForm(scan, code);
  }
}

}  // namespace

void verifyCommandline(const char* params, std::int32_t& code, std::int32_t& cubesize,
                       std::int32_t& x, std::int32_t& y, std::int32_t& z, UsageLines usage) {
  ParameterScan scan;
  startParameterScan(scan, params, usage, TokenSyntax::Integer);
  scanCodeAndCubesize(scan, code, cubesize);
  for (std::int32_t* coordinate : {&x, &y, &z}) {
    *coordinate = tokenValue(scan, takeToken(scan, ',', message::kParametersSyntax));
  }
}

// Takes the prefix off and hands back the token after it as text.
void verifyParameters(const char* params, std::int32_t& code, std::int32_t& cubesize,
                      TextBuffer& remainder, UsageLines usage) {
  ParameterScan scan;
  startParameterScan(scan, params, usage, TokenSyntax::Lenient);
  scanCodeAndCubesize(scan, code, cubesize);
  remainder.fill('\0');
  const char* rest = takeToken(scan, ',', message::kParametersSyntax);
  // The token is a piece of the working copy, so it always fits.
  std::memcpy(remainder.data(), rest, std::strlen(rest) + 1);
}

}  // namespace vantrel
