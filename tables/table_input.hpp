// Where a table run reads its table from: the file the command line names, or standard input
// for "-".
#pragma once

#include <fstream>
#include <istream>
#include <string>

namespace tables {

class TableInput {
 public:
  // Opens the file now, so that a missing one stops the run before any work; when it cannot be
  // read, says "<program>: cannot read <path>: <reason>" on standard error.
  TableInput(const char* program, const std::string& path);

  bool readable() const { return readable_; }
  std::istream& stream();

 private:
  std::ifstream file_;
  bool standardInput_;
  bool readable_;
};

}  // namespace tables
