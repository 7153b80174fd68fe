// Fuzzes the label tables read beside an image, as a TSV and as a text table, from any bytes. A
// refusal must be a runtime_error; accepted regions must have distinct indices and names of a
// bounded length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "atlas/label_tables.hpp"

namespace {

void checkRegions(std::optional<atlas::Regions> regions) {
  if (!regions) {
    return;
  }
  std::sort(regions->begin(), regions->end(),
            [](const atlas::Region& a, const atlas::Region& b) { return a.index < b.index; });
  for (std::size_t i = 0; i < regions->size(); ++i) {
    if ((*regions)[i].name.size() > atlas::kMaxRegionName ||
        (i > 0 && (*regions)[i].index == (*regions)[i - 1].index)) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    checkRegions(atlas::parseLabelTsv(text, "fuzz.tsv"));
  } catch (const std::runtime_error&) {
  }
  try {
    checkRegions(atlas::parseLabelText(text, "fuzz.txt"));
  } catch (const std::runtime_error&) {
  }
  return 0;
}
