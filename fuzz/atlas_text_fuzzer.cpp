// Fuzzes the text the keyed atlases read: label names in both layouts, and dpkg's status
// database, from any bytes. A refusal must be a runtime_error; nothing may crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "atlas/label_names.hpp"
#include "atlas/provenance.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const atlas::NameColumn column :
       {atlas::NameColumn::kWord, atlas::NameColumn::kRestOfLine}) {
    try {
      for (const auto& [value, name] : atlas::parseLabelNames(text, column, "fuzz")) {
        if (value == 0 || name.empty()) {
          std::abort();
        }
      }
    } catch (const std::runtime_error&) {
    }
  }
  if (const auto version = atlas::installedVersion(text, "mricron-data")) {
    if (version->find('\n') != std::string::npos) {
      std::abort();
    }
  }
  return 0;
}
