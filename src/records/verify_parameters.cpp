// verifyParameters: takes the <Code> and <:Cubesize> prefix off a parameter
// string and hands back the token after it as text.
#include <cstring>

#include "cli/messages.hpp"
#include "cli/parameter_scan.hpp"
#include "vantrel.hpp"

namespace vantrel {

void verifyParameters(const char* params, std::int32_t& code, std::int32_t& cubesize,
                      TextBuffer& remainder, UsageLines usage) {
  detail::ParameterScan scan;
  detail::startParameterScan(scan, params, usage, detail::TokenSyntax::Lenient);
  detail::scanCodeAndCubesize(scan, code, cubesize);
  remainder.fill('\0');
  const char* rest = detail::takeToken(scan, ',', message::kParametersSyntax);
  // The token is a piece of the working copy, so it always fits.
  std::memcpy(remainder.data(), rest, std::strlen(rest) + 1);
}

}  // namespace vantrel
