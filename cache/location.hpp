// Where compiled files live: the user's cache folder, then a system folder read by everyone.
#pragma once

#include <filesystem>
#include <optional>

namespace cache {

// Filled by the package at install time and read by every user; never written by a run.
inline constexpr const char* kSystemFolder = "/var/cache/vantrel";

// $VANTREL_CACHE_DIR, else $XDG_CACHE_HOME/vantrel, else ~/.cache/vantrel; nothing when none of
// them is set (an empty or relative value counts as unset, as XDG asks).
std::optional<std::filesystem::path> userFolder();

}  // namespace cache
