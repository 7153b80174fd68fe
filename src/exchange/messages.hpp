// The texts that a failed exchange with the daemon prints on standard error.
#pragma once

namespace vantrel::message {

inline constexpr const char* kNoSocket =
    "ERROR: Unable to create a socket, contact your network administrator.\n";
inline constexpr const char* kHostNotFound =
    "ERROR: Cannot find %s host, please contact your network administrator.\n";
inline constexpr const char* kDaemonDown =
    "NOTICE: The Daemon is down right now, please try again later.\n";
inline constexpr const char* kSendFailed =
    "FAILURE: Sending coordinates failed, contact your network administrator.\n";
inline constexpr const char* kReceiveFailed =
    "FAILURE: Unable to receive Orvo response, contact your network administrator.\n";

}  // namespace vantrel::message
