// The SHA-256 of source files, remembered beside each file's stat signature so that a large file
// that has not changed is not read again, and hashed again whenever anything stat says differs.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cache {

using Digest = std::array<std::uint8_t, 32>;

// Lower-case hex, as sha256sum prints it.
std::string hexOf(const Digest& digest);

// The SHA-256 of a file's bytes; throws std::runtime_error naming the file when it cannot be read.
Digest sha256OfFile(const std::filesystem::path& path);

// The SHA-256 of several byte strings, each preceded by its length, so that no two different
// lists hash alike: the digest of a compiled file's sources and their roles.
Digest sha256OfParts(const std::vector<std::string_view>& parts);

// What stat says of a file. Writing a file changes its change time, which no one can set back,
// and replacing it gives another inode, so a changed file cannot keep its signature.
struct StatSignature {
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modifiedNs = 0, changedNs = 0;
  bool operator==(const StatSignature&) const = default;
};

std::optional<StatSignature> statSignatureOf(const std::filesystem::path& path);

// Digests remembered in a folder of the cache, one small file per source path.
class DigestMemo {
 public:
  // File times tick as coarsely as the kernel's clock, so a file written within `racyWindow`
  // before it was hashed could change again without a new signature: such a digest is not
  // trusted until the file has been hashed once more, later. Without a folder nothing is kept.
  explicit DigestMemo(std::optional<std::filesystem::path> folder,
                      std::chrono::nanoseconds racyWindow = std::chrono::seconds(2));

  struct Answer {
    Digest digest{};
    bool remembered = false;  // taken from the memo, the file not read
  };
  // Throws std::runtime_error naming the file when it cannot be read.
  Answer digestOf(const std::filesystem::path& source) const;

 private:
  std::filesystem::path memoPathOf(const std::string& source) const;

  std::optional<std::filesystem::path> folder_;
  std::chrono::nanoseconds racyWindow_;
};

}  // namespace cache
