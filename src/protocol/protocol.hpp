// The Orvo protocol, shared by the client, the daemon and the companions: one
// NUL-padded block per query, one reply of at most kReplyLimit bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/vantrel.hpp"

namespace vantrel::protocol {

// A query travels as one block of exactly this many bytes: the text, its NUL, then zeros.
inline constexpr std::size_t kBlockSize = kTextBufferSize;
// The longest query or reply text; a reply that fills a block loses its last byte.
inline constexpr std::size_t kReplyLimit = kMaxTextLength;
inline constexpr int kPort = kDaemonPort;

// Code 1 and 2 answers are comma-separated fields; code 3 answers are
// "count:label:" pairs over a cube of kMinCubesize..kMaxCubesize voxels a side.
inline constexpr std::int32_t kQuendelCode = 1;
inline constexpr std::int32_t kLabelCode = 2;
inline constexpr std::int32_t kCubeCode = 3;
inline constexpr std::int32_t kMinCubesize = 3;
inline constexpr std::int32_t kMaxCubesize = 11;
inline constexpr std::int32_t kDefaultCubesize = 5;

constexpr bool isCode(std::int64_t code) {
  return code >= kQuendelCode && code <= kCubeCode;
}

// Cubes are centred on the point, so their sides are odd.
constexpr bool isCubesize(std::int64_t size) {
  return size >= kMinCubesize && size <= kMaxCubesize && size % 2 == 1;
}

// The answer printer's two layouts.
inline constexpr std::int32_t kReportLayout = 0;
inline constexpr std::int32_t kTabularLayout = 1;

// The query text: "%d:%d,%d,%d,%d" for code 3, "%d,%d,%d,%d" otherwise.
void composeQueryText(std::int32_t code, std::int32_t cubesize, std::int32_t x, std::int32_t y,
                      std::int32_t z, TextBuffer& query);

}  // namespace vantrel::protocol
