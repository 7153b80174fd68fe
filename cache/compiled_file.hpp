// The compiled-file container: a header naming what was compiled, by which format and from what
// sources; a table of sections; and the sections, each with its own checksum, verified the first
// time a run reads it, so a run never reads the sections it does not use.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cache/source_digest.hpp"

namespace cache {

// A compiled file that is not to be trusted: truncated, corrupt, of another format version or
// compiled from other sources. The message says which, in a few words.
class UntrustedFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every compiled file's name ends so; the cache folder holds nothing else under such a name.
inline constexpr const char* kCompiledExtension = ".compiled";

// What a compiled file holds and where it came from. Its name follows from these alone, so a
// file compiled from other sources or by another format is never found under it.
struct CompiledKey {
  std::string kind;               // [a-z0-9-], 1 to 16 characters
  std::uint32_t formatVersion{};  // of the compiler that wrote the sections
  Digest source{};                // SHA-256 of the sources

  std::string fileName() const;
  bool operator==(const CompiledKey&) const = default;
};

class CompiledWriter {
 public:
  explicit CompiledWriter(CompiledKey key);

  // Adds a section under `tag`, 1 to 8 characters, each tag once.
  void add(std::string_view tag, std::span<const std::byte> bytes);
  template <class T>
  void addArray(std::string_view tag, std::span<const T> values) {
    add(tag, std::as_bytes(values));
  }

  // The whole file.
  std::vector<std::byte> bytes() const;

 private:
  CompiledKey key_;
  std::vector<std::pair<std::string, std::vector<std::byte>>> sections_;
};

class CompiledFile {
 public:
  // Maps `path` and checks its header and section table against `key`, reading no section.
  // Throws UntrustedFile when the file cannot be trusted, std::runtime_error when it cannot be
  // opened.
  static CompiledFile map(const std::filesystem::path& path, const CompiledKey& key);
  // Maps `path` under the key its own header declares: for listing the cache.
  static CompiledFile mapDeclared(const std::filesystem::path& path);
  // The same check of a file held in memory.
  static CompiledFile adopt(std::vector<std::byte> bytes, const CompiledKey& key);

  // A section's bytes, its checksum verified the first time it is read; throws UntrustedFile when
  // there is no such section or it does not match its checksum.
  std::span<const std::byte> section(std::string_view tag) const;
  // A section read as an array of T; throws UntrustedFile when its size or alignment does not fit.
  template <class T>
  std::span<const T> array(std::string_view tag) const {
    const std::span<const std::byte> bytes = section(tag);
    if (bytes.size() % sizeof(T) != 0 ||
        reinterpret_cast<std::uintptr_t>(bytes.data()) % alignof(T) != 0) {
      throw UntrustedFile("section " + std::string(tag) + " does not hold whole values");
    }
    return {reinterpret_cast<const T*>(bytes.data()), bytes.size() / sizeof(T)};
  }

  // A section's bytes, not read: for a reader that verifies the parts it reads itself, against
  // block checksums kept in another section. Throws UntrustedFile when there is no such section.
  std::span<const std::byte> unreadSection(std::string_view tag) const;

  // The tags of its sections, in the order they were written.
  std::vector<std::string> tags() const;
  const CompiledKey& key() const { return key_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  struct Section {
    std::string tag;
    std::uint64_t offset = 0, size = 0, checksum = 0;
  };
  CompiledFile(std::shared_ptr<const void> owner, std::span<const std::byte> bytes,
               const CompiledKey& key);

  std::shared_ptr<const void> owner_;  // the mapping or the vector that holds bytes_
  std::span<const std::byte> bytes_;
  CompiledKey key_;
  std::vector<Section> sections_;
  std::unique_ptr<std::atomic<bool>[]> verified_;
};

// The key a compiled file's header declares, its header and section table checked but no
// section read: for listing the cache and for the fuzz target. Nothing when the header is not
// sound.
std::optional<CompiledKey> declaredKey(std::span<const std::byte> bytes);

}  // namespace cache
