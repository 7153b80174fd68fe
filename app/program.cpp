// The one main of the companion programs: declares the commands, parses, runs, and turns every
// way a run can end into a message and an exit status.
#include "app/program.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "vantrel_version.h"

namespace app {
namespace {

struct Running {
  std::string name;
  std::string commandLine;
};

Running& running() {
  static Running state;
  return state;
}

bool isOnlyCommand(const Program& program) {
  return program.commands.size() == 1 && program.commands.front().name.empty();
}

// CLI11 has made sure that exactly one subcommand was given.
int runChosen(const Program& program, const CommandLine& line) {
  if (isOnlyCommand(program)) {
    return line.runs.front()();
  }
  const auto chosen =
      std::find_if(program.commands.begin(), program.commands.end(),
                   [&](const Command& command) { return line.cli->got_subcommand(command.name); });
  return line.runs[static_cast<std::size_t>(chosen - program.commands.begin())]();
}

int usageStatus(const ExitTable& table, int cli11Status) {
  const int status = statusOf(table, Failure::kUsage);
  return status == kCli11Status ? cli11Status : status;
}

}  // namespace

int statusOf(const ExitTable& table, Failure failure) {
  const auto listing = [&](Failure wanted) {
    return std::find_if(table.begin(), table.end(), [&](const ExitStatus& row) {
      return std::find(row.failures.begin(), row.failures.end(), wanted) != row.failures.end();
    });
  };
  auto row = listing(failure);
  if (row == table.end()) {
    row = listing(Failure::kBadInput);
  }
  return row == table.end() ? EXIT_FAILURE : row->status;
}

CommandLine declare(const Program& program) {
  CommandLine line;
  line.cli =
      std::make_unique<CLI::App>(program.description, program.usageShowsPath ? "" : program.name);
  const std::string version = program.name + " " + VANTREL_VERSION;
  line.cli->set_version_flag("--version", version);
  if (isOnlyCommand(program)) {
    line.runs.push_back(program.commands.front().declare(*line.cli));
    return line;
  }
  line.cli->require_subcommand(1);
  for (const Command& command : program.commands) {
    CLI::App* subcommand = line.cli->add_subcommand(command.name);
    subcommand->set_version_flag("--version", version);
    line.runs.push_back(command.declare(*subcommand));
  }
  return line;
}

int runMain(int argc, const char* const argv[], const Program& program) {
  std::ios::sync_with_stdio(false);
  running() = {program.name, quotedCommandLine(program.name, argc, argv)};
  const CommandLine line = declare(program);
  try {
    line.cli->parse(argc, argv);
    return runChosen(program, line);
  } catch (const CLI::ParseError& error) {
    const int status = line.cli->exit(error);
    return status == 0 ? 0 : usageStatus(program.exits, status);
  } catch (const Error& error) {
    message(error.what());
    return statusOf(program.exits, error.failure());
  } catch (const std::exception& error) {
    message(error.what());
    return statusOf(program.exits, Failure::kBadInput);
  }
}

void message(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", running().name.c_str(), text.c_str());
}

void warn(const std::string& text) {
  message("warning: " + text);
}

const std::string& commandLine() {
  return running().commandLine;
}

std::string quotedCommandLine(std::string_view program, int argc, const char* const argv[]) {
  std::string line(program);
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789-_.,/:=+@%") == std::string_view::npos;
    if (plain) {
      line += " ";
      line += word;
      continue;
    }
    line += " '";
    for (const char c : word) {
      line += c == '\'' ? std::string_view("'\\''") : std::string_view(&c, 1);
    }
    line += "'";
  }
  return line;
}

}  // namespace app
