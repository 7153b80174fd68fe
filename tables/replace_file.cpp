// Output files appear whole or not at all: written under a temporary name, then renamed.
#include "tables/replace_file.hpp"

#include <unistd.h>

#include <string>
#include <system_error>

namespace figures {

void replaceFile(const std::filesystem::path& path,
                 const std::function<void(const std::filesystem::path&)>& write) {
  // A leading dot keeps the temporary out of file managers' and shells' listings.
  const auto temporary = path.parent_path() / ("." + path.filename().string() + ".partial-" +
                                               std::to_string(::getpid()));
  try {
    write(temporary);
    std::filesystem::rename(temporary, path);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw;
  }
}

}  // namespace figures
