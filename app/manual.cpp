// Reads mdoc manual pages and README sections as far as needed to compare them with a program's
// CLI11 declarations and exit table, so that the documentation cannot drift from the code.
#include "app/manual.hpp"

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>

namespace app {
namespace {

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

std::string listed(const std::set<int>& statuses) {
  std::string text;
  for (const int status : statuses) {
    text += " " + std::to_string(status);
  }
  return text;
}

// A manual page, parsed into what the checks read.
class Page {
 public:
  explicit Page(const std::string& text) {
    std::istringstream in(text);
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

const CLI::App& commandOf(const CommandLine& line, const std::string& name) {
  return name.empty() ? *line.cli : *line.cli->get_subcommand(name);
}

std::string commandName(const std::string& name) {
  return name.empty() ? "the command" : name;
}

void checkOptions(const Page& page, const CommandLine& line,
                  const std::vector<std::string>& commands, const DescribedDefaults& described,
                  Agreement& agreement) {
  const std::map<std::string, std::string> texts = page.options();
  std::set<std::string> declared = {"--help", "--version"};
  for (const std::string& command : commands) {
    for (const auto& [name, value] : declaredOptions(commandOf(line, command))) {
      ++agreement.checked;
      declared.insert(name);
      const auto text = texts.find(name);
      const auto words = described.find(name);
      if (text == texts.end()) {
        agreement.disagreements.push_back("OPTIONS does not describe " + name + " of " +
                                          commandName(command));
      } else if (!value.empty() &&
                 !saysDefault(text->second,
                              words == described.end() ? value : words->second.manual)) {
        agreement.disagreements.push_back("OPTIONS should say of " + name + ": default is " +
                                          value);
      }
    }
  }
  for (const auto& text : texts) {
    if (!declared.contains(text.first)) {
      agreement.disagreements.push_back("OPTIONS describes " + text.first + ", never declared");
    }
  }
}

void checkSynopsis(const Page& page, const CommandLine& line,
                   const std::vector<std::string>& commands, Agreement& agreement) {
  const auto synopsis = page.synopsis();
  for (const std::string& command : commands) {
    std::set<std::string> declared;
    for (const auto& option : declaredOptions(commandOf(line, command))) {
      declared.insert(option.first);
    }
    const auto found = synopsis.find(command);
    if (found == synopsis.end() || found->second != declared) {
      agreement.disagreements.push_back("SYNOPSIS does not list the options of " +
                                        commandName(command));
    }
  }
  if (synopsis.size() != commands.size()) {
    agreement.disagreements.push_back("SYNOPSIS lists another number of commands");
  }
}

void checkStatuses(const Page& page, const Program& program, const CommandLine& line,
                   const std::vector<std::string>& commands, bool listsEveryStatus,
                   Agreement& agreement) {
  const std::set<int> table = tableStatuses(program.exits);
  const std::set<int> given = page.exitStatuses();
  const bool within = std::includes(table.begin(), table.end(), given.begin(), given.end());
  if (!within || (listsEveryStatus && given != table)) {
    agreement.disagreements.push_back("EXIT STATUS gives" + listed(given) + ", the table" +
                                      listed(table));
  }
  for (const std::string& command : commands) {
    const std::set<int> help = sentenceStatuses(commandOf(line, command).get_footer());
    if (!std::includes(given.begin(), given.end(), help.begin(), help.end())) {
      agreement.disagreements.push_back("the help of " + commandName(command) + " gives" +
                                        listed(help) + ", EXIT STATUS" + listed(given));
    }
  }
}

}  // namespace

Agreement checkManual(const std::string& page, const Program& program,
                      const std::vector<std::string>& commands, bool listsEveryStatus,
                      const DescribedDefaults& described) {
  const Page parsed(page);
  const CommandLine line = declare(program);
  Agreement agreement;
  checkOptions(parsed, line, commands, described, agreement);
  checkSynopsis(parsed, line, commands, agreement);
  checkStatuses(parsed, program, line, commands, listsEveryStatus, agreement);
  return agreement;
}

Agreement checkReadme(const std::string& section, const Program& program,
                      const DescribedDefaults& described) {
  // "`--jobs` (8)", "`--retries` times (2)", "--data DIR (default /usr/share/...)"
  static const std::regex quote("`?(--[a-z-]+)`?(?: [A-Za-z]+)? \\((?:default )?`?([^`;)]+)`?[;)]");
  const CommandLine line = declare(program);
  std::map<std::string, std::string> declared = declaredOptions(*line.cli);
  for (const CLI::App* command : line.cli->get_subcommands({})) {
    declared.merge(declaredOptions(*command));
  }
  Agreement agreement;
  for (std::sregex_iterator at(section.begin(), section.end(), quote), end; at != end; ++at) {
    ++agreement.checked;
    const std::string name = (*at)[1];
    const auto value = declared.find(name);
    const auto words = described.find(name);
    if (value == declared.end()) {
      agreement.disagreements.push_back("quotes " + name + ", never declared");
    } else if ((*at)[2] != (words == described.end() ? value->second : words->second.readme)) {
      agreement.disagreements.push_back("quotes " + at->str() + ", the default is " +
                                        value->second);
    }
  }
  const std::set<int> statuses = sentenceStatuses(section);
  if (!statuses.empty() && statuses != tableStatuses(program.exits)) {
    agreement.disagreements.push_back("Exit status: gives" + listed(statuses) + ", the table" +
                                      listed(tableStatuses(program.exits)));
  }
  return agreement;
}

}  // namespace app
