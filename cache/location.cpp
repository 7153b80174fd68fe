// Where compiled files live: the user's cache folder, then a system folder read by everyone.
#include "cache/location.hpp"

#include <cstdlib>

namespace cache {
namespace {

std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value != '/') {
    return std::nullopt;
  }
  return std::filesystem::path(value);
}

}  // namespace

std::optional<std::filesystem::path> userFolder() {
  if (auto folder = absoluteFromEnvironment("VANTREL_CACHE_DIR")) {
    return folder;
  }
  if (auto xdg = absoluteFromEnvironment("XDG_CACHE_HOME")) {
    return *xdg / "vantrel";
  }
  if (auto home = absoluteFromEnvironment("HOME")) {
    return *home / ".cache" / "vantrel";
  }
  return std::nullopt;
}

}  // namespace cache
