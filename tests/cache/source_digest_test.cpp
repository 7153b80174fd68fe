// Tests of remembered digests: a file that has not changed is not read again, and one rewritten
// with its size and modification time kept is hashed again.
#include "cache/source_digest.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "testkit/temp_dir.hpp"

namespace cache {
namespace {

using vantrel::kit::TempDir;
using namespace std::chrono_literals;

void write(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(SourceDigest, IsTheSha256OfTheFile) {
  const TempDir dir("vantrel-digest");
  write(dir / "abc", "abc");
  EXPECT_EQ(hexOf(sha256OfFile(dir / "abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_THROW(sha256OfFile(dir / "missing"), std::runtime_error);
}

TEST(SourceDigest, AFileRewrittenWithItsSizeAndTimeKeptIsHashedAgain) {
  const TempDir dir("vantrel-digest");
  const std::filesystem::path source = dir / "atlas.nii";
  write(source, "first content");
  const DigestMemo memo(dir / "memo", 0ns);
  const DigestMemo::Answer first = memo.digestOf(source);
  EXPECT_FALSE(first.remembered);
  EXPECT_TRUE(memo.digestOf(source).remembered);

  struct stat before {};
  ASSERT_EQ(::stat(source.c_str(), &before), 0);
  // The change time moves on at the kernel's next clock tick: rewrite until it has.
  struct stat after {};
  for (int attempt = 0; attempt < 300; ++attempt) {
    write(source, "other content");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
    ASSERT_EQ(::stat(source.c_str(), &after), 0);
    if (after.st_ctim.tv_sec != before.st_ctim.tv_sec ||
        after.st_ctim.tv_nsec != before.st_ctim.tv_nsec) {
      break;
    }
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(after.st_size, before.st_size);
  ASSERT_EQ(after.st_ino, before.st_ino);
  ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  const DigestMemo::Answer second = memo.digestOf(source);
  EXPECT_FALSE(second.remembered);
  EXPECT_EQ(second.digest, sha256OfFile(source));
  EXPECT_NE(second.digest, first.digest);
}

TEST(SourceDigest, AFileWrittenJustBeforeItWasHashedIsNotTrustedYet) {
  const TempDir dir("vantrel-digest");
  write(dir / "fresh", "fresh");
  const DigestMemo memo(dir / "memo", 60s);
  memo.digestOf(dir / "fresh");
  EXPECT_FALSE(memo.digestOf(dir / "fresh").remembered);
}

}  // namespace
}  // namespace cache
