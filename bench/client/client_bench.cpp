// Times Vantrel against a minimal C client and nc, each doing one exchange with a
// constant-reply daemon on 127.0.0.1:1600, and reports medians and peak memory.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "testkit/fake_daemon.hpp"
#include "testkit/process.hpp"
#include "src/protocol/protocol.hpp"

namespace {

constexpr int kPort = vantrel::protocol::kPort;
constexpr int kDefaultRuns = 500;
constexpr std::size_t kBlockSize = vantrel::protocol::kBlockSize;
constexpr const char* kReply =
    "9:Right Cerebrum,Sub-lobar,Extra-Nuclear,Cerebro-Spinal Fluid,Lateral Ventricle:"
    "18:Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body:";
constexpr const char* kBlockFile = "/tmp/vantrel-bench-request.bin";

struct Client {
  std::string name;
  std::vector<std::string> argv;
  std::string stdinPath = "/dev/null";
  std::vector<double> millis;
  std::vector<long> maxRssKiB;
  int failures = 0;
};

Client makeClient(std::string name, std::vector<std::string> argv,
                  std::string stdinPath = "/dev/null") {
  Client client;
  client.name = std::move(name);
  client.argv = std::move(argv);
  client.stdinPath = std::move(stdinPath);
  return client;
}

// The client is started by run_measured, whose small footprint keeps the
// client's peak RSS free of this program's own memory.
void runOnce(const std::string& runner, Client& client) {
  std::vector<std::string> args{client.stdinPath};
  args.insert(args.end(), client.argv.begin(), client.argv.end());
  const vantrel::kit::ProcessResult run = vantrel::kit::runProcess(runner, args);
  long long nanoseconds = 0;
  long maxRss = 0;
  int exitStatus = -1;
  if (std::sscanf(run.out.c_str(), "%lld %ld %d", &nanoseconds, &maxRss, &exitStatus) != 3 ||
      exitStatus != 0) {
    ++client.failures;
    return;
  }
  client.millis.push_back(static_cast<double>(nanoseconds) / 1e6);
  client.maxRssKiB.push_back(maxRss);
}

template <typename T>
double median(std::vector<T> values) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  return static_cast<double>(values[values.size() / 2]);
}

void writeRequestBlock() {
  std::string block = "3:3,5,6,7";
  block.resize(kBlockSize, '\0');
  std::FILE* file = std::fopen(kBlockFile, "wb");
  if (file == nullptr || std::fwrite(block.data(), 1, block.size(), file) != block.size()) {
    std::fprintf(stderr, "client_bench: cannot write %s\n", kBlockFile);
    std::exit(2);
  }
  std::fclose(file);
}

std::string netcatPath() {
  for (const char* path : {"/usr/bin/nc", "/bin/nc"}) {
    if (access(path, X_OK) == 0) {
      return path;
    }
  }
  return "";
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s RUN_MEASURED VANTREL MINIMAL_CLIENT [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string runner = argv[1];
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : kDefaultRuns;
  writeRequestBlock();
  std::vector<Client> clients;
  clients.push_back(makeClient("Vantrel", {argv[2], "3:3,", "5,6,7"}));
  clients.push_back(makeClient("minimal C client", {argv[3]}));
  const std::string netcat = netcatPath();
  if (!netcat.empty()) {
    // -N shuts down the sending side at the end of the block; nc then reads to close.
    clients.push_back(
        makeClient("nc", {netcat, "-N", "127.0.0.1", std::to_string(kPort)}, kBlockFile));
  }

  try {
    const vantrel::kit::FakeDaemon daemon(
        [](const std::string&) { return vantrel::kit::replyWith(kReply); }, kPort);
    for (int round = 0; round < runs; ++round) {
      for (Client& client : clients) {
        runOnce(runner, client);
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "client_bench: %s\n", error.what());
    return 2;
  }

  const Client& base = clients[1];
  std::printf("%d runs each, interleaved\n", runs);
  std::printf("%-18s %12s %12s %10s %10s %8s\n", "client", "median ms", "vs minimal", "maxrss KiB",
              "vs minimal", "failed");
  for (const Client& client : clients) {
    std::printf("%-18s %12.3f %11.2fx %10.0f %9.2fx %8d\n", client.name.c_str(),
                median(client.millis), median(client.millis) / median(base.millis),
                median(client.maxRssKiB), median(client.maxRssKiB) / median(base.maxRssKiB),
                client.failures);
  }
  if (clients.size() > 2) {
    std::printf("Vantrel vs nc: %.2fx wall time\n",
                median(clients[0].millis) / median(clients[2].millis));
  }
  std::remove(kBlockFile);
  return 0;
}
