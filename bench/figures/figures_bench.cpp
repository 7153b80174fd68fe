// Times vantrel-atlas table over 20 points with and without its figures and its report, whole
// process, to give what the pictures cost beyond the table itself.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 7;
constexpr int kPoints = 20;

struct Times {
  double wall = -1, cpu = 0;  // seconds; the CPU time of the process, user and system
};

// Runs the program with its output thrown away; a wall time of -1 when it failed.
Times timedRun(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return {};
  }
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return {std::chrono::duration<double>(Clock::now() - start).count(),
          seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

Times medianRun(const std::vector<std::string>& args, const std::filesystem::path& scratch) {
  std::vector<double> walls, cpus;
  for (int run = 0; run < kRuns; ++run) {
    std::filesystem::remove_all(scratch / "out");
    const Times times = timedRun(args);
    if (times.wall < 0) {
      std::fprintf(stderr, "figures_bench: %s failed\n", args[1].c_str());
      std::exit(1);
    }
    walls.push_back(times.wall);
    cpus.push_back(times.cpu);
  }
  return {median(walls), median(cpus)};
}

void print(const char* what, const Times& times, const Times& base) {
  std::printf("  %-22s %.3f s wall (+%.3f)   %.3f s CPU (+%.3f)\n", what, times.wall,
              times.wall - base.wall, times.cpu, times.cpu - base.cpu);
}

// In-brain points, the same every run.
void writePoints(const std::filesystem::path& path) {
  std::mt19937 random(14);
  std::uniform_int_distribution<int> x(-60, 60), y(-90, 60), z(-30, 70);
  std::ofstream out(path);
  out << "x\ty\tz\n";
  for (int i = 0; i < kPoints; ++i)
    out << x(random) << '\t' << y(random) << '\t' << z(random) << '\n';
}

}  // namespace

int main() {
  const auto scratch = std::filesystem::temp_directory_path() / "vantrel-figures-bench";
  std::filesystem::create_directories(scratch);
  const auto points = (scratch / "points.tsv").string();
  const auto out = (scratch / "out").string();
  writePoints(points);
  const std::string program = VANTREL_ATLAS_BINARY;
  const Times table = medianRun({program, "table", points}, scratch);
  std::printf(
      "vantrel-atlas table, %d points, every atlas, median of %d runs; target: figures\n"
      "and glass brain at most 1 s of wall time beyond the table alone\n",
      kPoints, kRuns);
  print("table alone", table, table);
  print("--figures (png)", medianRun({program, "table", "--figures", out, points}, scratch), table);
  print("--figures, svg",
        medianRun({program, "table", "--figures", out, "--figure-format", "svg", points}, scratch),
        table);
  print("--report", medianRun({program, "table", "--report", out, points}, scratch), table);
  std::filesystem::remove_all(scratch);
  return 0;
}
