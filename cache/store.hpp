// Compiled files found in the cache folders, or compiled and kept there for later runs; and the
// folders listed and cleared.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cache/compiled_file.hpp"
#include "cache/source_digest.hpp"

namespace cache {

using Warn = std::function<void(const std::string&)>;

struct Settings {
  bool useFiles = true;  // false: compile in memory, read and write nothing
  std::optional<std::filesystem::path> userFolder;    // read first, and written
  std::optional<std::filesystem::path> systemFolder;  // read after the user's, never written
  Warn warn;                                          // one line each, without the program's name
};

// This environment's folders (location.hpp).
Settings settingsFromEnvironment(bool useFiles, Warn warn);

// The section that names a compiled file's sources for `cache list`: one line per source, its
// SHA-256, two blanks and its path, as sha256sum prints them.
inline constexpr const char* kSourcesTag = "sources";
void addSources(CompiledWriter& writer,
                const std::vector<std::pair<std::filesystem::path, Digest>>& sources);

struct Obtained {
  CompiledFile file;
  std::optional<std::filesystem::path> path;  // where it was read or written; none in memory
  bool compiled = false;                      // by this run
};

class Store {
 public:
  explicit Store(Settings settings);

  bool useFiles() const { return settings_.useFiles; }
  const Warn& warning() const { return settings_.warn; }
  // A source's SHA-256, remembered in the user's folder beside its stat signature.
  Digest digestOf(const std::filesystem::path& source) const;

  // The compiled file of `key` from the user's folder, else the system's, when the file there is
  // sound and `touch` finds no fault; nothing otherwise, with one warning for each file refused.
  std::optional<Obtained> lookUp(const CompiledKey& key,
                                 const std::function<void(const CompiledFile&)>& touch) const;
  // Whether what is compiled can be kept in the user's folder, found by writing a scratch file
  // there once. When it cannot, the first call warns, ending its line with `otherwise`.
  bool canKeep(const std::string& otherwise) const;

  // The compiled file of `key`: from the user's folder, else the system's, when the file there is
  // sound and `touch`, reading the sections this run needs, finds no fault; otherwise compiled by
  // `compile` and written to the user's folder, or kept in memory when that cannot be written.
  // Each file not trusted, and a user folder that cannot be written, cost one warning.
  Obtained obtain(const CompiledKey& key, const std::function<CompiledWriter()>& compile,
                  const std::function<void(const CompiledFile&)>& touch) const;

 private:
  std::optional<CompiledFile> found(const std::filesystem::path& folder, const CompiledKey& key,
                                    const std::function<void(const CompiledFile&)>& touch) const;
  // Where the file was written, or nothing after the warning.
  std::optional<std::filesystem::path> kept(const CompiledKey& key,
                                            const std::vector<std::byte>& bytes) const;

  Settings settings_;
  DigestMemo memo_;
  mutable std::atomic<bool> warnedUnwritable_{false};
  mutable std::once_flag probed_;
  mutable std::optional<std::string> unwritable_;  // why, once probed
};

// A compiled file of a folder, as `cache list` shows it.
struct Listed {
  std::filesystem::path path;
  std::uintmax_t size = 0;
  std::optional<CompiledKey> key;    // nothing when its header is not sound
  std::vector<std::string> sources;  // the lines of its sources section
};

// The compiled files of `folder`, by name; none when it does not exist.
std::vector<Listed> listFolder(const std::filesystem::path& folder);
// Removes the compiled files and remembered digests of `folder`, and files left half-written;
// returns the bytes freed. Throws std::runtime_error when one cannot be removed.
std::uintmax_t clearFolder(const std::filesystem::path& folder);

}  // namespace cache
