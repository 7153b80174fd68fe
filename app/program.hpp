// The command framework of the companion programs: each command declares its options once with
// CLI11, and one main owns the program's name in every message, its exit statuses, --help and
// --version.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// Why a run ends before its work is done; each program's exit table gives every kind a status.
enum class Failure {
  kUsage,            // a command line refused, by CLI11 or by the command's own checks
  kUnreadableInput,  // a file or folder named on the command line cannot be read
  kUnknownHost,      // the daemon's host name does not resolve
  kBadInput,         // anything else that stops a run: an input refused, an output not written
};

// Thrown by a run that cannot go on: the program prints "NAME: message" and ends with the
// status of the failure. Any other std::exception out of a run counts as Failure::kBadInput.
class Error : public std::runtime_error {
 public:
  Error(Failure failure, const std::string& message)
      : std::runtime_error(message), failure_(failure) {}
  Failure failure() const { return failure_; }

 private:
  Failure failure_;
};

// Stands for CLI11's own status of a usage error, which tells its kind (105 for a value out of
// range, 109 for an unknown argument, ...).
inline constexpr int kCli11Status = -1;

// One exit status of a program and the failures that end with it. A status without failures is
// one that a run returns itself, from what it found (rejected lines, failed queries).
struct ExitStatus {
  int status;
  std::vector<Failure> failures;
};
using ExitTable = std::vector<ExitStatus>;

// The status the table gives a failure; a failure it does not list ends as kBadInput does, and
// EXIT_FAILURE where the table lists neither.
int statusOf(const ExitTable& table, Failure failure);

// What a parsed command line runs: the command's work, ending with its exit status.
using Run = std::function<int()>;

// A command: its subcommand name (empty for a program's only command) and its declaration,
// which declares the options on `cli` and returns the run that reads them once parsed.
struct Command {
  std::string name;
  std::function<Run(CLI::App& cli)> declare;
};

// The command of one options struct, declared by `declare` and run by `run`. The struct lives
// as long as the run.
template <class Options>
Command command(std::string name, void (*declare)(CLI::App&, Options&),
                int (*run)(const Options&)) {
  return {std::move(name), [declare, run](CLI::App& cli) -> Run {
            auto options = std::make_shared<Options>();
            declare(cli, *options);
            return [options, run] { return run(*options); };
          }};
}

struct Program {
  std::string name;         // starts every message and the version line
  std::string description;  // the program's; a subcommand's own is set by its declaration
  ExitTable exits;
  std::vector<Command> commands;  // one unnamed command, or subcommands of which one is required
  bool usageShowsPath = false;    // the usage line names the path the program was started by
};

// A program's command line, declared: the CLI11 app and each command's run, in order.
struct CommandLine {
  std::unique_ptr<CLI::App> cli;
  std::vector<Run> runs;
};

CommandLine declare(const Program& program);

// Parses the command line and runs the chosen command. --help and --version end with 0;
// a usage error is printed by CLI11 and ends with the usage status; a failure of the run is
// printed as "NAME: message" and ends with its status.
int runMain(int argc, const char* const argv[], const Program& program);

// Runs a command's own checks of its parsed options: std::invalid_argument out of them is a
// usage error, printed and counted as CLI11's are.
template <class Check>
auto checkUsage(Check&& check) -> decltype(check()) {
  try {
    return check();
  } catch (const std::invalid_argument& error) {
    throw CLI::ValidationError(error.what());
  }
}

// "NAME: message" on standard error, NAME being the running program's.
void message(const std::string& text);
// "NAME: warning: message" on standard error.
void warn(const std::string& text);

// The running program's command line as typed, for reports: its name, then each argument
// quoted for a POSIX shell where it needs it.
const std::string& commandLine();

// `program` and the arguments argv[1] onwards, quoted as commandLine() quotes them.
std::string quotedCommandLine(std::string_view program, int argc, const char* const argv[]);

}  // namespace app
