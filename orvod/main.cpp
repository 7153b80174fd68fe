// orvod: answers Orvo queries about Talairach points from the atlases of the mricron-data package.
#include <sys/resource.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <exception>
#include <iostream>
#include <thread>

#include "orvod/atlas_set.hpp"
#include "orvod/labeller.hpp"
#include "orvod/answer.hpp"
#include "orvod/server.hpp"
#include "vantrel_version.h"

namespace {

// Every idle client holds a descriptor until its deadline, and the usual soft limit of 1024
// would turn away new clients long before the hard limit does.
void raiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

unsigned defaultThreadCount() {
  return std::max(1U, std::thread::hardware_concurrency());
}

// Loads the atlases, then serves until a signal; throws when either cannot start.
void serve(const std::string& dataDirectory, const orvod::ServerOptions& options) {
  const atlas::Labeller labeller(atlas::loadAtlasSet(dataDirectory));
  orvod::Server server(
      options, [&labeller](std::string_view bytes) { return orvod::answerBlock(labeller, bytes); });
  std::cerr << "orvod: listening on " << server.endpoint() << std::endl;
  server.run();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    CLI::App app{
        "Answers Orvo queries (codes 1, 2 and 3) about Talairach points from brain atlases."};
    app.set_version_flag("--version", "orvod " VANTREL_VERSION);

    std::string dataDirectory = atlas::kDefaultDataDirectory;
    orvod::ServerOptions options;
    options.threads = defaultThreadCount();
    double timeoutSeconds = 5.0;
    app.add_option("--data", dataDirectory, "Directory holding the atlas files")
        ->capture_default_str();
    app.add_option("--listen", options.address, "Address to listen on")->capture_default_str();
    app.add_option("--port", options.port, "TCP port to listen on; 0 picks a free one")
        ->capture_default_str();
    app.add_option("--timeout", timeoutSeconds,
                   "Seconds a client has to send its request before it is dropped")
        ->check(CLI::Range(0.001, 3600.0))
        ->capture_default_str();
    app.add_option("--threads", options.threads, "Serving threads")
        ->check(CLI::Range(1U, 256U))
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    options.timeout = std::chrono::milliseconds(static_cast<long long>(timeoutSeconds * 1000.0));

    raiseDescriptorLimit();
    // A client that hangs up early must cost its connection, not the daemon.
    std::signal(SIGPIPE, SIG_IGN);
    serve(dataDirectory, options);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "orvod: " << error.what() << '\n';
    return 1;
  }
}
