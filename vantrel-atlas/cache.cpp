// vantrel-atlas cache: the compiled files kept between runs, listed with their sources, or
// cleared.
#include <cstdio>

#include "cache/location.hpp"
#include "cache/store.hpp"
#include "src/exit_status.h"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas {
namespace {

constexpr const char* kCacheFooter =
    R"(list: each cache folder (yours, then the system's, which only the package writes) with
its compiled files, their sizes and the files each was compiled from.
clear: removes every compiled file from your folder; the next run compiles what it needs.
A compiled file is named by the SHA-256 of its sources, so a changed atlas is compiled again,
never answered from a stale file.
Exit status: 0 done; 1 usage error, or a file that cannot be removed.)";

struct CacheOptions {
  std::string action;
};

void declareCache(CLI::App& cli, CacheOptions& options) {
  cli.description("List or clear the compiled atlases kept between runs");
  cli.add_option("action", options.action, "list or clear")
      ->required()
      ->check(CLI::IsMember({"list", "clear"}));
  cli.footer(kCacheFooter);
}

std::string listingOf(const std::filesystem::path& folder, const char* whose) {
  std::string text = "cache folder " + folder.string() + " (" + whose + ")";
  const std::vector<cache::Listed> files = cache::listFolder(folder);
  if (files.empty()) {
    return text + ": no compiled files\n";
  }
  text += ":\n";
  for (const cache::Listed& file : files) {
    text += "  " + file.path.filename().string() + ", " + std::to_string(file.size) + " bytes";
    if (!file.key) {
      text += ", not trusted: compiled again when next needed\n";
      continue;
    }
    text +=
        ", " + file.key->kind + " format " + std::to_string(file.key->formatVersion) + ", from:\n";
    for (const std::string& source : file.sources) {
      text += "    " + source + "\n";
    }
  }
  return text;
}

int runCache(const CacheOptions& options) {
  const std::optional<std::filesystem::path> user = cache::userFolder();
  if (options.action == "clear") {
    if (!user) {
      throw app::Error(app::Failure::kUnreadableInput,
                       "no cache folder: neither VANTREL_CACHE_DIR nor HOME is set");
    }
    const std::uintmax_t freed = cache::clearFolder(*user);
    std::printf("cleared %s: %ju bytes freed\n", user->c_str(), freed);
    return vantrel::kExitSuccess;
  }
  std::string text = user ? listingOf(*user, "yours")
                          : "no cache folder of yours: neither VANTREL_CACHE_DIR nor HOME is set\n";
  text += listingOf(cache::kSystemFolder, "the system's, read only");
  std::fputs(text.c_str(), stdout);
  return vantrel::kExitSuccess;
}

}  // namespace

app::Command cacheCommand() {
  return app::command("cache", declareCache, runCache);
}

}  // namespace vantrel_atlas
