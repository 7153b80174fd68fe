// Where a table run reads its table from: the file the command line names, or standard input
// for "-".
#include "tables/table_input.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace tables {

TableInput::TableInput(const char* program, const std::string& path)
    : standardInput_(path == "-"), readable_(standardInput_) {
  if (standardInput_) {
    return;
  }
  file_.open(path);
  readable_ = file_.is_open();
  if (!readable_) {
    std::fprintf(stderr, "%s: cannot read %s: %s\n", program, path.c_str(), std::strerror(errno));
  }
}

std::istream& TableInput::stream() {
  return standardInput_ ? std::cin : file_;
}

}  // namespace tables
