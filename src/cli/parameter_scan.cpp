// The <Code> and <:Cubesize> prefix of a parameter string, and the pieces of
// its scan that the command line and the record validators share.
#include "cli/parameter_scan.hpp"

#include <cstring>

#include "cli/messages.hpp"
#include "protocol/protocol.hpp"
#include "text/text.hpp"

namespace vantrel::detail {

namespace {

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

}  // namespace

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

void reportScanError(const ParameterScan& scan, const char* format) {
  ReportError(format, scan.echo.data(), scan.usage);
}

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

void scanCodeAndCubesize(ParameterScan& scan, std::int32_t& code, std::int32_t& cubesize) {
  if (text::contains(scan.working.data(), ':')) {
    scanColonForm(scan, code, cubesize);
  } else {
    scanPlainForm(scan, code);
  }
}

}  // namespace vantrel::detail
