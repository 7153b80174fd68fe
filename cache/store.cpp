// Compiled files found in the cache folders, or compiled and kept there for later runs; and the
// folders listed and cleared.
#include "cache/store.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "cache/atomic_write.hpp"
#include "cache/location.hpp"

namespace cache {
namespace {

constexpr const char* kDigestFolder = "sources";
constexpr const char* kDigestExtension = ".digest";

std::optional<std::filesystem::path> digestFolderOf(const Settings& settings) {
  if (!settings.useFiles || !settings.userFolder) {
    return std::nullopt;
  }
  return *settings.userFolder / kDigestFolder;
}

std::vector<std::string> linesOf(std::span<const std::byte> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// What clearing removes: compiled files, digest memos, and what a writer left half-written.
bool isOurs(const std::filesystem::path& path, const char* extension) {
  const std::string name = path.filename().string();
  return name.ends_with(extension) ||
         (name.starts_with(".") && name.find(std::string(extension) + ".") != std::string::npos);
}

// Modes do not stop root, so the only sure test of a folder is writing in it.
std::optional<std::string> whyUnwritable(const std::optional<std::filesystem::path>& folder) {
  if (!folder) {
    return "no cache folder (set VANTREL_CACHE_DIR or HOME)";
  }
  std::error_code error;
  std::filesystem::create_directories(*folder, error);
  std::string probe = (*folder / ".probe.XXXXXX").string();
  const int fd = error ? -1 : ::mkostemp(probe.data(), O_CLOEXEC);
  if (fd < 0) {
    return "cannot write the cache folder " + folder->string() + " (" +
           (error ? error.message() : std::string(std::strerror(errno))) + ")";
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return std::nullopt;
}

std::uintmax_t removeOurs(const std::filesystem::path& folder, const char* extension) {
  std::uintmax_t freed = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!entry.is_regular_file() || !isOurs(entry.path(), extension)) {
      continue;
    }
    const std::uintmax_t size = entry.file_size(error);
    if (!std::filesystem::remove(entry.path(), error) && error) {
      throw std::runtime_error("cannot remove " + entry.path().string() + ": " + error.message());
    }
    freed += size;
  }
  return freed;
}

}  // namespace

Settings settingsFromEnvironment(bool useFiles, Warn warn) {
  return {useFiles, userFolder(), std::filesystem::path(kSystemFolder), std::move(warn)};
}

void addSources(CompiledWriter& writer,
                const std::vector<std::pair<std::filesystem::path, Digest>>& sources) {
  std::string text;
  for (const auto& [path, digest] : sources) {
    text += hexOf(digest) + "  " + path.string() + "\n";
  }
  writer.add(kSourcesTag, std::as_bytes(std::span(text)));
}

Store::Store(Settings settings)
    : settings_(std::move(settings)), memo_(digestFolderOf(settings_)) {}

Digest Store::digestOf(const std::filesystem::path& source) const {
  return memo_.digestOf(source).digest;
}

std::optional<CompiledFile> Store::found(
    const std::filesystem::path& folder, const CompiledKey& key,
    const std::function<void(const CompiledFile&)>& touch) const {
  const std::filesystem::path path = folder / key.fileName();
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return std::nullopt;
  }
  try {
    CompiledFile file = CompiledFile::map(path, key);
    touch(file);
    return file;
  } catch (const std::runtime_error& refused) {
    settings_.warn("compiled file " + path.string() + " is not trusted (" + refused.what() +
                   "); compiling it again");
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> Store::kept(const CompiledKey& key,
                                                 const std::vector<std::byte>& bytes) const {
  const std::filesystem::path& folder = *settings_.userFolder;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::filesystem::path path = folder / key.fileName();
  const std::string why = error ? error.message() : writeWhole(path, bytes);
  if (why.empty()) {
    return path;
  }
  if (!warnedUnwritable_.exchange(true)) {
    settings_.warn("cannot write the cache folder " + folder.string() + " (" + why +
                   "); compiling in memory");
  }
  return std::nullopt;
}

std::optional<Obtained> Store::lookUp(const CompiledKey& key,
                                      const std::function<void(const CompiledFile&)>& touch) const {
  if (settings_.useFiles) {
    for (const auto* folder : {&settings_.userFolder, &settings_.systemFolder}) {
      if (*folder) {
        if (std::optional<CompiledFile> file = found(**folder, key, touch)) {
          return Obtained{std::move(*file), **folder / key.fileName(), false};
        }
      }
    }
  }
  return std::nullopt;
}

bool Store::canKeep(const std::string& otherwise) const {
  if (!settings_.useFiles) {
    return false;
  }
  std::call_once(probed_, [this] { unwritable_ = whyUnwritable(settings_.userFolder); });
  if (unwritable_ && !warnedUnwritable_.exchange(true)) {
    settings_.warn(*unwritable_ + "; " + otherwise);
  }
  return !unwritable_;
}

Obtained Store::obtain(const CompiledKey& key, const std::function<CompiledWriter()>& compile,
                       const std::function<void(const CompiledFile&)>& touch) const {
  if (std::optional<Obtained> obtained = lookUp(key, touch)) {
    return std::move(*obtained);
  }
  std::vector<std::byte> bytes = compile().bytes();
  std::optional<std::filesystem::path> path;
  if (settings_.useFiles && settings_.userFolder) {
    path = kept(key, bytes);
  } else if (settings_.useFiles && !warnedUnwritable_.exchange(true)) {
    settings_.warn("no cache folder (set VANTREL_CACHE_DIR or HOME); compiling in memory");
  }
  CompiledFile file = CompiledFile::adopt(std::move(bytes), key);
  touch(file);
  return {std::move(file), path, true};
}

std::vector<Listed> listFolder(const std::filesystem::path& folder) {
  std::vector<Listed> listed;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name.starts_with(".") || !name.ends_with(kCompiledExtension)) {
      continue;
    }
    Listed file{entry.path(), entry.file_size(error), std::nullopt, {}};
    try {
      const CompiledFile compiled = CompiledFile::mapDeclared(entry.path());
      file.sources = linesOf(compiled.section(kSourcesTag));
      file.key = compiled.key();
    } catch (const std::runtime_error&) {
      // Listed without a key: the next run that needs it compiles it again.
    }
    listed.push_back(std::move(file));
  }
  std::sort(listed.begin(), listed.end(),
            [](const Listed& a, const Listed& b) { return a.path < b.path; });
  return listed;
}

std::uintmax_t clearFolder(const std::filesystem::path& folder) {
  return removeOurs(folder, kCompiledExtension) +
         removeOurs(folder / kDigestFolder, kDigestExtension);
}

}  // namespace cache
