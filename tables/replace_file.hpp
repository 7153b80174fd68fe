// Output files appear whole or not at all: written under a temporary name, then renamed.
#pragma once

#include <filesystem>
#include <functional>

namespace figures {

// Calls write(temporary) for a temporary path beside `path`, then renames it to `path`.
// When write or the rename throws, the temporary file is removed and the exception passes on.
void replaceFile(const std::filesystem::path& path,
                 const std::function<void(const std::filesystem::path&)>& write);

}  // namespace figures
