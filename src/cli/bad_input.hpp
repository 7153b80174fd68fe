// The exception that ReportError throws in builds for fuzzing, where ending the
// process on bad input would end the fuzzer too.
#pragma once

namespace vantrel {

struct BadInput {};

}  // namespace vantrel
