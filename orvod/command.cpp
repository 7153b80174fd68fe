// orvod's command: its options, declared with CLI11, and the run that loads the atlases and
// serves until a signal.
#include "orvod/command.hpp"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include "orvod/answer.hpp"
#include "orvod/compiled_table.hpp"
#include "orvod/labeller.hpp"
#include "orvod/server.hpp"

namespace orvod {
namespace {

constexpr const char* kDescription =
    "Answers Orvo queries (codes 1, 2 and 3) about Talairach points from brain atlases.";

struct DaemonOptions {
  std::string dataDirectory = atlas::kDefaultDataDirectory;
  ServerOptions server;
  double timeoutSeconds = 5.0;
  bool noCache = false;
};

void declareDaemon(CLI::App& cli, DaemonOptions& options) {
  options.server.threads = std::max(1U, std::thread::hardware_concurrency());
  cli.add_option("--data", options.dataDirectory, "Directory holding the atlas files")
      ->capture_default_str();
  cli.add_option("--listen", options.server.address, "Address to listen on")->capture_default_str();
  cli.add_option("--port", options.server.port, "TCP port to listen on; 0 picks a free one")
      ->capture_default_str();
  cli.add_option("--timeout", options.timeoutSeconds,
                 "Seconds a client has to send its request before it is dropped")
      ->check(CLI::Range(0.001, 3600.0))
      ->capture_default_str();
  cli.add_option("--threads", options.server.threads, "Serving threads")
      ->check(CLI::Range(1U, 256U))
      ->capture_default_str();
  cli.add_flag("--no-cache", options.noCache,
               "Build the cube answer table in memory; read and write no compiled file");
}

// Every idle client holds a descriptor until its deadline, and the usual soft limit of 1024
// would turn away new clients long before the hard limit does.
void raiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

// Loads the atlases, then serves until a signal; throws when either cannot start.
int runDaemon(const DaemonOptions& options) {
  ServerOptions serverOptions = options.server;
  serverOptions.timeout =
      std::chrono::milliseconds(static_cast<long long>(options.timeoutSeconds * 1000.0));
  raiseDescriptorLimit();
  // A client that hangs up early must cost its connection, not the daemon.
  std::signal(SIGPIPE, SIG_IGN);
  const cache::Store store(cache::settingsFromEnvironment(!options.noCache, app::warn));
  const Labeller labeller = loadLabeller(options.dataDirectory, store);
  Server server(serverOptions,
                [&labeller](std::string_view bytes) { return answerBlock(labeller, bytes); });
  app::message("listening on " + server.endpoint());
  server.run();
  return 0;
}

// A daemon started by hand or by systemd: usage errors keep the statuses CLI11 gives them.
app::ExitTable exitTable() {
  using app::Failure;
  return {{0, {}},
          {1, {Failure::kUnreadableInput, Failure::kBadInput}},
          {app::kCli11Status, {Failure::kUsage}}};
}

}  // namespace

app::Program program() {
  return {.name = "orvod",
          .description = kDescription,
          .exits = exitTable(),
          .commands = {app::command("", declareDaemon, runDaemon)},
          .usageShowsPath = true};
}

}  // namespace orvod
