// Fuzzes the FSL atlas description reader from any bytes. A refusal must be a runtime_error; an
// accepted description must hold what the reader promises: at least one resolution, each with
// an image, and regions with distinct indices and names of a bounded length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "atlas/fsl_atlas.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  try {
    atlas::FslAtlasDescription description = atlas::parseFslAtlas(xml, "fuzz.xml");
    if (description.resolutions.empty() ||
        std::any_of(description.resolutions.begin(), description.resolutions.end(),
                    [](const atlas::FslImages& images) { return images.image.empty(); })) {
      std::abort();
    }
    std::sort(description.regions.begin(), description.regions.end(),
              [](const atlas::Region& a, const atlas::Region& b) { return a.index < b.index; });
    for (std::size_t i = 0; i < description.regions.size(); ++i) {
      if (description.regions[i].name.size() > atlas::kMaxRegionName ||
          (i > 0 && description.regions[i].index == description.regions[i - 1].index)) {
        std::abort();
      }
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
