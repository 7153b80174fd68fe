// verifyCommandline: turns the parameter string into the five query integers.
#include "cli/messages.hpp"
#include "cli/parameter_scan.hpp"
#include "vantrel.hpp"

namespace vantrel {

void verifyCommandline(const char* params, std::int32_t& code, std::int32_t& cubesize,
                       std::int32_t& x, std::int32_t& y, std::int32_t& z, UsageLines usage) {
  detail::ParameterScan scan;
  detail::startParameterScan(scan, params, usage, detail::TokenSyntax::Integer);
  detail::scanCodeAndCubesize(scan, code, cubesize);
  for (std::int32_t* coordinate : {&x, &y, &z}) {
    *coordinate =
        detail::tokenValue(scan, detail::takeToken(scan, ',', message::kParametersSyntax));
  }
}

}  // namespace vantrel
