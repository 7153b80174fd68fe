// Checksums of a large section's blocks, verified one block at a time as a run first reads it.
#include "cache/block_checksums.hpp"

#include <xxhash.h>

#include <algorithm>

#include "cache/compiled_file.hpp"

namespace cache {
namespace {

std::span<const std::byte> blockOf(std::span<const std::byte> bytes, std::size_t block) {
  const std::size_t offset = block * kChecksumBlockBytes;
  return bytes.subspan(offset, std::min(kChecksumBlockBytes, bytes.size() - offset));
}

std::size_t blocksOf(std::span<const std::byte> bytes) {
  return (bytes.size() + kChecksumBlockBytes - 1) / kChecksumBlockBytes;
}

}  // namespace

std::vector<std::uint64_t> blockChecksumsOf(std::span<const std::byte> bytes) {
  std::vector<std::uint64_t> checksums;
  for (std::size_t block = 0; block < blocksOf(bytes); ++block) {
    const std::span<const std::byte> part = blockOf(bytes, block);
    checksums.push_back(XXH3_64bits(part.data(), part.size()));
  }
  return checksums;
}

BlockVerifiedBytes::BlockVerifiedBytes(std::span<const std::byte> bytes,
                                       std::span<const std::uint64_t> checksums,
                                       std::string section, Check check)
    : bytes_(bytes), checksums_(checksums), section_(std::move(section)), check_(std::move(check)) {
  if (checksums_.size() != blocksOf(bytes_)) {
    throw UntrustedFile("the block checksums of its section " + section_ + " do not cover it");
  }
  verified_ = std::make_unique<std::atomic<bool>[]>(checksums_.size());
}

void BlockVerifiedBytes::verifyBlock(std::size_t block) const {
  const std::span<const std::byte> part = blockOf(bytes_, block);
  if (XXH3_64bits(part.data(), part.size()) != checksums_[block] || !check_(part)) {
    throw UntrustedFile("its section " + section_ + " is corrupt");
  }
  verified_[block].store(true, std::memory_order_release);
}

}  // namespace cache
