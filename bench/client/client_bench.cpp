// Times Vantrel against a minimal C client and nc, each doing one exchange with a
// constant-reply daemon on 127.0.0.1:1600, and reports medians and peak memory.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPort = 1600;
constexpr int kDefaultRuns = 500;
constexpr std::size_t kBlockSize = 8192;
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

// Answers every connection with the same reply, after reading the whole request.
class ConstantDaemon {
 public:
  ConstantDaemon() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd_, 16) != 0) {
      std::fprintf(stderr, "client_bench: port %d on 127.0.0.1 is taken\n", kPort);
      std::exit(2);
    }
    worker_ = std::thread([this] { serve(); });
  }
  ~ConstantDaemon() {
    stop_ = true;
    worker_.join();
    close(fd_);
  }

 private:
  void serve() {
    while (!stop_) {
      pollfd watch{fd_, POLLIN, 0};
      if (poll(&watch, 1, 50) <= 0) {
        continue;
      }
      const int peer = accept(fd_, nullptr, nullptr);
      if (peer < 0) {
        continue;
      }
      answer(peer);
      close(peer);
    }
  }
  static void answer(int peer) {
    std::vector<char> request(kBlockSize);
    std::size_t held = 0;
    ssize_t got = 0;
    while (held < kBlockSize &&
           (got = recv(peer, request.data() + held, kBlockSize - held, 0)) > 0) {
      held += static_cast<std::size_t>(got);
    }
    const std::string reply = kReply;
    send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
  }

  int fd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread worker_;
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
bool runOnce(const std::string& runner, Client& client) {
  std::vector<std::string> args{runner, client.stdinPath};
  args.insert(args.end(), client.argv.begin(), client.argv.end());
  std::vector<char*> argv;
  for (std::string& arg : args) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  int report[2];
  if (pipe(report) != 0) {
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, report[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, report[0]);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(report[1]);
  if (spawned != 0) {
    close(report[0]);
    return false;
  }
  std::string line;
  char chunk[128];
  ssize_t got = 0;
  while ((got = read(report[0], chunk, sizeof chunk)) > 0) {
    line.append(chunk, static_cast<std::size_t>(got));
  }
  close(report[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  long long nanoseconds = 0;
  long maxRss = 0;
  int exitStatus = -1;
  if (std::sscanf(line.c_str(), "%lld %ld %d", &nanoseconds, &maxRss, &exitStatus) != 3 ||
      exitStatus != 0) {
    ++client.failures;
    return true;
  }
  client.millis.push_back(static_cast<double>(nanoseconds) / 1e6);
  client.maxRssKiB.push_back(maxRss);
  return true;
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

  ConstantDaemon daemon;
  for (int round = 0; round < runs; ++round) {
    for (Client& client : clients) {
      if (!runOnce(runner, client)) {
        std::fprintf(stderr, "client_bench: cannot start %s\n", client.argv[0].c_str());
        return 2;
      }
    }
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
