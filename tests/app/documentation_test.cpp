// The manual pages and the README against every program's declarations and exit table, and the
// check itself against pages that drift from them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/manual.hpp"
#include "batch/options.hpp"
#include "orvod/command.hpp"
#include "vantrel-atlas/commands.hpp"

namespace app {
namespace {

std::string sourceFile(const std::string& relative) {
  std::ifstream in(std::string(SOURCE_DIR) + "/" + relative);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const DescribedDefaults kDescribed = {
    {"--threads", {"the number of processors", "one per processor"}},
    {"--host", {"the host that Vantrel was built to ask", ""}},
};

struct Documented {
  const char* page;
  Program program;
  std::vector<std::string> commands;  // those the page documents; "" for a program's only one
  bool everyStatus;                   // its EXIT STATUS lists the whole table
};

std::vector<Documented> pages() {
  return {{"man/orvod.8", orvod::program(), {""}, true},
          {"man/vantrel-batch.1", vantrel::batch::program(), {""}, true},
          {"man/vantrel-atlas.1", vantrel_atlas::program(), {"list", "point", "table"}, true},
          {"man/vantrel-atlas-clusters.1", vantrel_atlas::program(), {"clusters"}, false}};
}

// The README's section under `heading`, up to the next one.
std::string readmeSection(const std::string& heading) {
  const std::string text = sourceFile("README.md");
  const std::size_t start = text.find("\n## " + heading + "\n");
  return text.substr(start, text.find("\n## ", start + 1) - start);
}

TEST(Documentation, ManualsAndReadmeAgreeWithTheDeclarations) {
  for (const Documented& d : pages()) {
    const Agreement agreement =
        checkManual(sourceFile(d.page), d.program, d.commands, d.everyStatus, kDescribed);
    EXPECT_GT(agreement.checked, 0) << d.page;
    EXPECT_EQ(agreement.disagreements, std::vector<std::string>{}) << d.page;
  }
  int quotes = 0;
  const std::pair<const char*, Program> kSections[] = {
      {"orvod", orvod::program()},
      {"vantrel-batch", vantrel::batch::program()},
      {"vantrel-atlas", vantrel_atlas::program()},
      {"vantrel-atlas clusters", vantrel_atlas::program()},
      {"vantrel-atlas figures and reports", vantrel_atlas::program()}};
  for (const auto& [heading, program] : kSections) {
    const Agreement agreement = checkReadme(readmeSection(heading), program, kDescribed);
    quotes += agreement.checked;
    EXPECT_EQ(agreement.disagreements, std::vector<std::string>{}) << heading;
  }
  EXPECT_GE(quotes, 7);
}

// Each edit makes vantrel-batch's page or README section disagree with the program.
TEST(Documentation, FindsEachWayAPageDrifts) {
  const struct {
    bool manual;
    std::string from, to;
  } kDrifts[] = {
      {true, "the default is 8.", "the default is 80."},  // a default
      {true, ".It Fl -mni", ".It Fl -utm"},               // an option described, not declared
      {true, ".Op Fl -mni\n", ""},                        // the synopsis
      {true, ".It 4\n", ".It 5\n"},                       // an exit status
      {false, "`--jobs` (8)", "`--jobs` (9)"},
      {false, "4 some queries failed", "3 some queries failed"},
  };
  const Program program = vantrel::batch::program();
  for (const auto& drift : kDrifts) {
    std::string text =
        drift.manual ? sourceFile("man/vantrel-batch.1") : readmeSection("vantrel-batch");
    const std::size_t at = text.find(drift.from);
    ASSERT_NE(at, std::string::npos) << drift.from;
    text.replace(at, drift.from.size(), drift.to);
    const Agreement agreement = drift.manual ? checkManual(text, program, {""}, true, kDescribed)
                                             : checkReadme(text, program, kDescribed);
    EXPECT_FALSE(agreement.disagreements.empty()) << drift.from;
  }
}

}  // namespace
}  // namespace app
