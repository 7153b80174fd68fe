// Files of the cache written whole or not at all: under a temporary name in their folder, then
// renamed over the final name, so a reader never sees half a file and two writers leave one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>

namespace cache {

// Writes `bytes` to `path`; on failure leaves nothing behind and returns why.
std::string writeWhole(const std::filesystem::path& path, std::span<const std::byte> bytes);

}  // namespace cache
