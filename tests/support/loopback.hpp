// Socket chores shared by the test daemons: a loopback listener and a whole-buffer send.
#pragma once

#include <string>

namespace vantrel::testing {

// A socket listening on 127.0.0.1:`port` (0 picks a free port, which `boundPort`
// receives). Throws std::runtime_error naming `who` when the port cannot be had.
int listenOnLoopback(int port, int backlog, const char* who, int& boundPort);

// Sends every byte unless the peer goes away; never raises SIGPIPE.
void sendAll(int fd, const std::string& bytes);

}  // namespace vantrel::testing
