// Where a table run reads its table from: the file the command line names, or standard input
// for "-".
#include "tables/table_input.hpp"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>

namespace tables {

TableInput::TableInput(const std::string& path) : standardInput_(path == "-") {
  if (standardInput_) {
    return;
  }
  file_.open(path);
  if (!file_.is_open()) {
    const int error = errno;
    throw std::runtime_error("cannot read " + path + ": " + std::strerror(error));
  }
}

std::istream& TableInput::stream() {
  return standardInput_ ? std::cin : file_;
}

}  // namespace tables
