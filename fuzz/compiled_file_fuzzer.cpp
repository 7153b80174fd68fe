// Fuzzes the compiled-file reader: any bytes under the key their own header declares, every
// section read whole and as arrays. A refusal must be an UntrustedFile; nothing may crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cache/compiled_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto* first = reinterpret_cast<const std::byte*>(data);
  std::vector<std::byte> bytes(first, first + size);
  const std::optional<cache::CompiledKey> key = cache::declaredKey(bytes);
  if (!key) {
    return 0;
  }
  try {
    const cache::CompiledFile file = cache::CompiledFile::adopt(std::move(bytes), *key);
    for (const std::string& tag : file.tags()) {
      try {
        const std::span<const std::byte> section = file.section(tag);
        const std::span<const std::uint32_t> values = file.array<std::uint32_t>(tag);
        if (section.size() > file.size() || values.size_bytes() != section.size()) {
          std::abort();
        }
      } catch (const cache::UntrustedFile&) {
      }
    }
  } catch (const cache::UntrustedFile&) {
    std::abort();  // the header was declared sound a moment ago
  }
  return 0;
}
