// Checksums of a large section's blocks, so that a run reading a few of its bytes reads and
// verifies only the blocks that hold them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace cache {

inline constexpr std::size_t kChecksumBlockBytes = 4096;

// One checksum per kChecksumBlockBytes of `bytes`, the last block possibly shorter.
std::vector<std::uint64_t> blockChecksumsOf(std::span<const std::byte> bytes);

class BlockVerifiedBytes {
 public:
  // Whether a block's contents, once its checksum matched, fit what the reader expects of them.
  using Check = std::function<bool(std::span<const std::byte> block)>;

  // Throws UntrustedFile naming `section` when the checksums do not cover `bytes`.
  BlockVerifiedBytes(std::span<const std::byte> bytes, std::span<const std::uint64_t> checksums,
                     std::string section, Check check);

  // Verifies, once each, the blocks that hold bytes [offset, offset + size) of the section;
  // throws UntrustedFile when one does not match its checksum or fails the check.
  void verify(std::size_t offset, std::size_t size) const {
    if (size == 0) {
      return;
    }
    const std::size_t last = (offset + size - 1) / kChecksumBlockBytes;
    for (std::size_t block = offset / kChecksumBlockBytes; block <= last; ++block) {
      // Verifying a block twice in a race costs a second pass, never a wrong answer.
      if (!verified_[block].load(std::memory_order_acquire)) {
        verifyBlock(block);
      }
    }
  }
  void verifyAll() const { verify(0, bytes_.size()); }

 private:
  void verifyBlock(std::size_t block) const;

  std::span<const std::byte> bytes_;
  std::span<const std::uint64_t> checksums_;
  std::string section_;
  Check check_;
  std::unique_ptr<std::atomic<bool>[]> verified_;
};

}  // namespace cache
