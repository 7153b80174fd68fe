// Tests of the compiled-file container: no truncation, flipped byte, other format or other source
// is ever trusted, and a fault in one section leaves the others readable.
#include "cache/compiled_file.hpp"

#include <gtest/gtest.h>

#include <numeric>

namespace cache {
namespace {

const CompiledKey kKey{"test-kind", 3, sha256OfParts({"source"})};

std::vector<std::uint32_t> counting(std::size_t n) {
  std::vector<std::uint32_t> values(n);
  std::iota(values.begin(), values.end(), 7U);
  return values;
}

// Three sections of uneven sizes, so the padding between them differs.
std::vector<std::byte> threeSections() {
  CompiledWriter writer(kKey);
  writer.addArray<std::uint32_t>("first", counting(1000));
  writer.add("empty", {});
  writer.addArray<std::uint32_t>("LAST_1", counting(33));
  return writer.bytes();
}

// Where each section starts and ends in the file: adopting a vector keeps its buffer.
std::vector<std::size_t> sectionBoundaries(std::vector<std::byte> bytes) {
  const std::byte* base = bytes.data();
  const CompiledFile file = CompiledFile::adopt(std::move(bytes), kKey);
  std::vector<std::size_t> boundaries;
  for (const std::string& tag : file.tags()) {
    const std::span<const std::byte> s = file.section(tag);
    boundaries.push_back(static_cast<std::size_t>(s.data() - base));
    boundaries.push_back(boundaries.back() + s.size());
  }
  return boundaries;
}

TEST(CompiledFile, SectionsReadBackAsWritten) {
  const CompiledFile file = CompiledFile::adopt(threeSections(), kKey);
  EXPECT_EQ(file.tags(), (std::vector<std::string>{"first", "empty", "LAST_1"}));
  const std::vector<std::uint32_t> expected = counting(33);
  const std::span<const std::uint32_t> last = file.array<std::uint32_t>("LAST_1");
  EXPECT_TRUE(std::equal(last.begin(), last.end(), expected.begin(), expected.end()));
  EXPECT_TRUE(file.section("empty").empty());
  EXPECT_THROW(file.array<std::uint64_t>("LAST_1"), UntrustedFile);  // 132 bytes
  EXPECT_THROW(file.section("missing"), UntrustedFile);
}

TEST(CompiledFile, ATruncatedFileIsNeverTrusted) {
  const std::vector<std::byte> bytes = threeSections();
  // Inside the header, at its end, at the end of the section table, and at every section's
  // start and end short of the whole file.
  std::vector<std::size_t> cuts{0, 8, 87, 88, 88 + 3 * 32};
  for (const std::size_t cut : sectionBoundaries(bytes)) {
    if (cut < bytes.size()) {
      cuts.push_back(cut);
    }
  }
  for (const std::size_t cut : cuts) {
    const std::vector<std::byte> truncated(bytes.begin(),
                                           bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_THROW(CompiledFile::adopt(truncated, kKey), UntrustedFile) << "cut at " << cut;
  }
}

TEST(CompiledFile, AFlippedByteFailsOnlyItsOwnSection) {
  const std::vector<std::byte> bytes = threeSections();
  const std::vector<std::size_t> boundaries = sectionBoundaries(bytes);
  const std::vector<std::string> tags{"first", "empty", "LAST_1"};
  for (std::size_t s = 0; s < tags.size(); ++s) {
    if (boundaries[2 * s] == boundaries[2 * s + 1]) {
      continue;
    }
    for (const std::size_t at : {boundaries[2 * s], boundaries[2 * s + 1] - 1}) {
      std::vector<std::byte> flipped = bytes;
      flipped[at] ^= std::byte{0x10};
      const CompiledFile file = CompiledFile::adopt(flipped, kKey);
      for (const std::string& tag : tags) {
        bool refused = false;
        try {
          file.section(tag);
        } catch (const UntrustedFile&) {
          refused = true;
        }
        EXPECT_EQ(refused, tag == tags[s]) << tag << " with byte " << at << " flipped";
      }
    }
  }
  // The header and the section table are checked before any section is read.
  for (const std::size_t at : {std::size_t{12}, std::size_t{50}, std::size_t{88 + 40}}) {
    std::vector<std::byte> flipped = bytes;
    flipped[at] ^= std::byte{1};
    EXPECT_THROW(CompiledFile::adopt(flipped, kKey), UntrustedFile) << "byte " << at;
  }
}

TEST(CompiledFile, AnotherFormatKindOrSourceIsNotTrusted) {
  const std::pair<CompiledKey, const char*> cases[] = {
      {{kKey.kind, kKey.formatVersion + 1, kKey.source}, "of format version 3, not 4"},
      {{"other-kind", kKey.formatVersion, kKey.source}, "compiled from other sources"},
      {{kKey.kind, kKey.formatVersion, sha256OfParts({"changed"})}, "compiled from other sources"},
  };
  for (const auto& [key, reason] : cases) {
    try {
      CompiledFile::adopt(threeSections(), key);
      ADD_FAILURE() << reason;
    } catch (const UntrustedFile& refused) {
      EXPECT_STREQ(refused.what(), reason);
    }
    EXPECT_NE(key.fileName(), kKey.fileName());
  }
}

}  // namespace
}  // namespace cache
