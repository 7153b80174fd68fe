// Where a table run reads its table from: the file the command line names, or standard input
// for "-".
#pragma once

#include <fstream>
#include <istream>
#include <string>

namespace tables {

class TableInput {
 public:
  // Opens the file now, so that a missing one stops the run before any work. Throws
  // std::runtime_error "cannot read <path>: <reason>" when it cannot be read.
  explicit TableInput(const std::string& path);

  std::istream& stream();

 private:
  std::ifstream file_;
  bool standardInput_;
};

}  // namespace tables
