// Exit statuses of the Vantrel programs, named once.
#pragma once

namespace vantrel {

inline constexpr int kExitSuccess = 0;
// Bad input: a command line or parameter string that fails validation.
inline constexpr int kExitBadInput = 1;
// The exchange with the daemon failed; the shell sees 255.
inline constexpr int kExitExchangeFailed = -1;

// vantrel-batch labels many points, so its statuses tell the two kinds of
// trouble apart and add up when both occur: 6 means lines were rejected and
// queries failed. Usage errors, unreadable input and an unknown host stop it
// before any query with kExitBadInput.
inline constexpr int kExitBatchRejectedLines = 2;
inline constexpr int kExitBatchFailedQueries = 4;

}  // namespace vantrel
