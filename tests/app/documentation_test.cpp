// Checks the manual pages and the README against the programs' declarations: every option with
// its default, each command's synopsis, and the exit statuses of each program's table.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "app/program.hpp"
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

std::vector<std::string> wordsOf(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) {
    words.push_back(word);
  }
  return words;
}

// The options of one command by long name, each with its default as --help shows it.
std::map<std::string, std::string> declaredOptions(const CLI::App& command) {
  std::map<std::string, std::string> options;
  for (const CLI::Option* option : command.get_options()) {
    const std::vector<std::string>& names = option->get_lnames();
    if (!names.empty() && names.front() != "help" && names.front() != "version") {
      options["--" + names.front()] = option->get_default_str();
    }
  }
  return options;
}

std::set<int> tableStatuses(const ExitTable& table) {
  std::set<int> statuses;
  for (const ExitStatus& row : table) {
    statuses.insert(row.status);
  }
  return statuses;
}

// The statuses of an "Exit status: 0 ...; 1 ...; 2 ..." sentence of a help text or the README.
std::set<int> sentenceStatuses(const std::string& text) {
  const std::size_t start = text.find("Exit status: ");
  if (start == std::string::npos) {
    return {};
  }
  std::set<int> statuses;
  const std::string sentence = text.substr(start + 13, text.find(". ", start) - start - 13);
  std::istringstream parts(sentence);
  for (std::string part; std::getline(parts, part, ';');) {
    statuses.insert(std::stoi(part));
  }
  return statuses;
}

// A manual page, parsed into what the checks read.
class Page {
 public:
  explicit Page(const std::string& file) {
    std::istringstream in(sourceFile(file));
    std::string section;
    for (std::string line; std::getline(in, line);) {
      if (line.starts_with(".Sh ")) {
        section = line.substr(4);
      } else {
        sections_[section].push_back(line);
      }
    }
  }

  // Each option the OPTIONS list describes, with its text as a reader sees it.
  std::map<std::string, std::string> options() const {
    std::map<std::string, std::string> described;
    std::string current;
    for (const std::string& line : section("OPTIONS")) {
      const std::vector<std::string> words = wordsOf(line);
      if (line.starts_with(".It") || line.starts_with(".El")) {
        current = words.size() > 2 && words[1] == "Fl" ? "-" + words[2] : "";
      } else if (!current.empty()) {
        described[current] += plain(line) + " ";
      }
    }
    return described;
  }

  // The options of each command's synopsis; the one that names --help is left out.
  std::map<std::string, std::set<std::string>> synopsis() const {
    std::map<std::string, std::set<std::string>> commands;
    std::string command;
    std::set<std::string> flags;
    const auto keep = [&] {
      if (!flags.empty() && !flags.contains("--help")) {
        commands[command] = flags;
      }
    };
    for (const std::string& line : section("SYNOPSIS")) {
      const std::vector<std::string> words = wordsOf(line);
      if (!words.empty() && words.front() == ".Nm") {
        keep();
        command.clear();
        flags.clear();
      }
      for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i].ends_with("Cm") && flags.empty()) {
          command = words[i + 1];
        }
        if (words[i].ends_with("Fl") && words[i + 1].starts_with("-")) {
          flags.insert("-" + words[i + 1]);
        }
      }
    }
    keep();
    return commands;
  }

  // The statuses the EXIT STATUS list gives; a range stands for CLI11's own statuses.
  std::set<int> exitStatuses() const {
    std::set<int> statuses;
    for (const std::string& line : section("EXIT STATUS")) {
      if (line.starts_with(".It ")) {
        const std::string tag = line.substr(4);
        statuses.insert(tag == "100\\(en127" ? kCli11Status : std::stoi(tag));
      }
    }
    return statuses;
  }

 private:
  const std::vector<std::string>& section(const std::string& name) const {
    static const std::vector<std::string> none;
    const auto found = sections_.find(name);
    return found == sections_.end() ? none : found->second;
  }

  // A line as a reader sees it: a macro line without its macros.
  static std::string plain(const std::string& line) {
    if (!line.starts_with(".")) {
      return line;
    }
    std::string text;
    for (const std::string& word : wordsOf(line.substr(1))) {
      const bool macro = word.size() == 2 && std::isupper(word[0]) && std::islower(word[1]);
      text += macro ? "" : word + " ";
    }
    return text;
  }

  std::map<std::string, std::vector<std::string>> sections_;
};

// Whether `text` says "default is VALUE", VALUE ending where the phrase does.
bool saysDefault(const std::string& text, const std::string& value) {
  const std::string phrase = "default is " + value;
  for (std::size_t at = text.find(phrase); at != std::string::npos;
       at = text.find(phrase, at + 1)) {
    const std::size_t end = at + phrase.size();
    if (end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end])) ||
        (text[end] == '.' && end + 1 < text.size() && std::isdigit(text[end + 1]))) {
      return true;
    }
  }
  return false;
}

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

// Defaults that depend on the machine or the build, and the words that document them in the
// manual and in the README.
struct DescribedDefault {
  std::string manual, readme;
};
const std::map<std::string, DescribedDefault> kDescribedDefaults = {
    {"--threads", {"the number of processors", "one per processor"}},
    {"--host", {"the host that Vantrel was built to ask", ""}},
};

const CLI::App& commandOf(const CommandLine& line, const std::string& name) {
  return name.empty() ? *line.cli : *line.cli->get_subcommand(name);
}

TEST(Documentation, ManualPagesDescribeEveryOptionAndItsDefault) {
  for (const Documented& d : pages()) {
    const std::map<std::string, std::string> described = Page(d.page).options();
    const CommandLine line = declare(d.program);
    std::set<std::string> declared = {"--help", "--version"};
    for (const std::string& command : d.commands) {
      for (const auto& [name, value] : declaredOptions(commandOf(line, command))) {
        declared.insert(name);
        const auto text = described.find(name);
        ASSERT_NE(text, described.end()) << d.page << " " << command << " " << name;
        const auto words = kDescribedDefaults.find(name);
        EXPECT_TRUE(value.empty() ||
                    saysDefault(text->second,
                                words == kDescribedDefaults.end() ? value : words->second.manual))
            << d.page << " " << name << " should say: default is " << value << "\n"
            << text->second;
      }
    }
    for (const auto& [name, text] : described) {
      EXPECT_TRUE(declared.contains(name)) << d.page << " describes " << name;
    }
  }
}

TEST(Documentation, ManualSynopsesListEachCommandsOptions) {
  for (const Documented& d : pages()) {
    const auto synopsis = Page(d.page).synopsis();
    const CommandLine line = declare(d.program);
    std::set<std::string> commands;
    for (const std::string& command : d.commands) {
      std::set<std::string> declared;
      for (const auto& option : declaredOptions(commandOf(line, command))) {
        declared.insert(option.first);
      }
      ASSERT_TRUE(synopsis.contains(command)) << d.page << " " << command;
      EXPECT_EQ(synopsis.at(command), declared) << d.page << " " << command;
      commands.insert(command);
    }
    EXPECT_EQ(synopsis.size(), commands.size()) << d.page;
  }
}

TEST(Documentation, ManualsAndHelpGiveTheStatusesOfTheExitTable) {
  for (const Documented& d : pages()) {
    const std::set<int> table = tableStatuses(d.program.exits);
    const std::set<int> page = Page(d.page).exitStatuses();
    if (d.everyStatus) {
      EXPECT_EQ(page, table) << d.page;
    }
    EXPECT_TRUE(std::includes(table.begin(), table.end(), page.begin(), page.end())) << d.page;
    const CommandLine line = declare(d.program);
    for (const std::string& command : d.commands) {
      const std::set<int> help = sentenceStatuses(commandOf(line, command).get_footer());
      EXPECT_TRUE(std::includes(page.begin(), page.end(), help.begin(), help.end()))
          << d.page << " " << command;
    }
  }
}

// The README's sections, each with the program it describes.
std::map<std::string, std::string> readmeSections() {
  std::map<std::string, std::string> sections;
  std::istringstream in(sourceFile("README.md"));
  std::string heading;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("## ")) {
      heading = line.substr(3);
    }
    sections[heading] += line + "\n";
  }
  return sections;
}

TEST(Documentation, ReadmeQuotesTheDeclaredDefaultsAndStatuses) {
  const std::map<std::string, Program> programs = {
      {"orvod", orvod::program()},
      {"vantrel-batch", vantrel::batch::program()},
      {"vantrel-atlas", vantrel_atlas::program()},
      {"vantrel-atlas clusters", vantrel_atlas::program()},
      {"vantrel-atlas figures and reports", vantrel_atlas::program()}};
  // "`--jobs` (8)", "`--retries` times (2)", "--data DIR (default /usr/share/...)"
  const std::regex quote("`?(--[a-z-]+)`?(?: [A-Za-z]+)? \\((?:default )?`?([^`;)]+)`?[;)]");
  int quotes = 0;
  for (const auto& [heading, text] : readmeSections()) {
    const auto program = programs.find(heading);
    if (program == programs.end()) {
      continue;
    }
    const CommandLine line = declare(program->second);
    std::map<std::string, std::string> declared = declaredOptions(*line.cli);
    for (const CLI::App* command : line.cli->get_subcommands({})) {
      declared.merge(declaredOptions(*command));
    }
    for (std::sregex_iterator at(text.begin(), text.end(), quote), end; at != end; ++at, ++quotes) {
      const std::string name = (*at)[1];
      const auto value = declared.find(name);
      ASSERT_NE(value, declared.end()) << heading << " quotes " << name;
      const auto words = kDescribedDefaults.find(name);
      EXPECT_EQ((*at)[2], words == kDescribedDefaults.end() ? value->second : words->second.readme)
          << heading << ": " << at->str();
    }
    const std::set<int> statuses = sentenceStatuses(text);
    EXPECT_TRUE(statuses.empty() || statuses == tableStatuses(program->second.exits)) << heading;
  }
  EXPECT_GE(quotes, 7);
}

}  // namespace
}  // namespace app
