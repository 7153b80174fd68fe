// Where a program's manual page or README section disagrees with its declarations: every option
// with its default, each command's synopsis, the statuses of its exit table.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/program.hpp"

namespace app {

// The words that document a default depending on the machine or the build, by option name.
struct DescribedDefault {
  std::string manual, readme;
};
using DescribedDefaults = std::map<std::string, DescribedDefault>;

// What a check read, and each disagreement it found, one readable line each.
struct Agreement {
  int checked = 0;  // options and quoted defaults compared
  std::vector<std::string> disagreements;
};

// Checks an mdoc page against the program: the OPTIONS list describes exactly the options of
// `commands` ("" for a program's only command), each with its default; the SYNOPSIS lists each
// command's options; EXIT STATUS gives only the table's statuses (every one when
// `listsEveryStatus`), and each command's help footer only those of the page.
Agreement checkManual(const std::string& page, const Program& program,
                      const std::vector<std::string>& commands, bool listsEveryStatus,
                      const DescribedDefaults& described);

// Checks a README section that documents the program: each default it quotes ("`--jobs` (8)",
// "--data DIR (default /usr/share/...)") is the declared one, and its "Exit status:" sentence
// gives the table's statuses.
Agreement checkReadme(const std::string& section, const Program& program,
                      const DescribedDefaults& described);

}  // namespace app
