// Exit statuses of the Vantrel programs, named once.
#pragma once

namespace vantrel {

inline constexpr int kExitSuccess = 0;
// Bad input: a command line or parameter string that fails validation.
inline constexpr int kExitBadInput = 1;
// The exchange with the daemon failed; the shell sees 255.
inline constexpr int kExitExchangeFailed = -1;

}  // namespace vantrel
