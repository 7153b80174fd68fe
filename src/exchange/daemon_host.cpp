// The daemon's host name, fixed at build time; alone here so that a build can swap it.
#include "src/vantrel.hpp"

namespace vantrel {

const char* const DAEMONHOST = VANTREL_DAEMONHOST_NAME;

}  // namespace vantrel
