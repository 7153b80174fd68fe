// A program on the framework whose command ends as its first word tells, for the framework's
// tests. Built twice: as "sample", with a status of its own for usage errors, and as
// "sample-cli11", which keeps CLI11's statuses as orvod does.
#include <cstdio>
#include <stdexcept>

#include "app/program.hpp"

namespace {

struct EndOptions {
  std::vector<std::string> words;
  int count = 1;
};

void declareEnd(CLI::App& cli, EndOptions& options) {
  cli.description("Ends as told");
  cli.add_option("--count", options.count, "How many")->check(CLI::Range(1, 3));
  cli.add_option("words", options.words, "How to end, and more words")->required();
}

int runEnd(const EndOptions& options) {
  const std::string& ending = options.words.front();
  if (ending == "unreadable") {
    throw app::Error(app::Failure::kUnreadableInput, "cannot read it");
  }
  if (ending == "host") {
    throw app::Error(app::Failure::kUnknownHost, "cannot find host h");
  }
  if (ending == "words") {
    app::checkUsage([] { throw std::invalid_argument("bad words"); });
  }
  if (ending == "warn") {
    app::warn("odd");
    return 2;
  }
  if (ending == "line") {
    std::puts(app::commandLine().c_str());
    return 0;
  }
  throw std::runtime_error("broken");
}

struct NoOptions {};

void declareOther(CLI::App& cli, NoOptions&) {
  cli.description("Ends with 11");
}

int runOther(const NoOptions&) {
  return 11;
}

}  // namespace

int main(int argc, char* argv[]) {
  using app::Failure;
  return app::runMain(argc, argv,
                      {.name = "sample",
                       .description = "Ends as told.",
                       .exits = {{0, {}},
                                 {SAMPLE_USAGE_STATUS, {Failure::kUsage}},
                                 {5, {Failure::kUnreadableInput}},
                                 {7, {Failure::kBadInput}},
                                 {2, {}},
                                 {11, {}}},
                       .commands = {app::command("end", declareEnd, runEnd),
                                    app::command("other", declareOther, runOther)}});
}
