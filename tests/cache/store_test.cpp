// Tests of the store: compiled once then mapped, compiled again when not trusted, the system
// folder, a folder that cannot be written, and two processes compiling at once.
#include "cache/store.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "testkit/temp_dir.hpp"

namespace cache {
namespace {

namespace fs = std::filesystem;
using vantrel::kit::TempDir;

const CompiledKey kKey{"store-test", 1, sha256OfParts({"atlas"})};
constexpr std::size_t kValues = 1 << 20;

std::uint32_t valueAt(std::size_t i) {
  return static_cast<std::uint32_t>(i * 2654435761U);
}

CompiledWriter compileValues() {
  std::vector<std::uint32_t> values(kValues);
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = valueAt(i);
  }
  CompiledWriter writer(kKey);
  writer.addArray<std::uint32_t>("values", values);
  addSources(writer, {{"/data/atlas.nii.gz", kKey.source}});
  return writer;
}

void touchValues(const CompiledFile& file) {
  if (file.array<std::uint32_t>("values")[kValues - 1] != valueAt(kValues - 1)) {
    throw UntrustedFile("wrong values");
  }
}

// A run of a program: its store and the warnings it printed.
struct ProgramRun {
  std::vector<std::string> warnings;
  Store store;
  ProgramRun(const fs::path& folder, std::optional<fs::path> system = std::nullopt, bool on = true)
      : store({on, folder, std::move(system),
               [this](const std::string& w) { warnings.push_back(w); }}) {}
  Obtained obtain() { return store.obtain(kKey, compileValues, touchValues); }
};

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      names.push_back(entry.path().filename().string());
    }
  }
  return names;
}

TEST(Store, CompilesOnceMapsAfterAndCompilesAgainWhatItCannotTrust) {
  const TempDir dir("vantrel-store");
  ProgramRun run(dir.path());
  const Obtained first = run.obtain();
  EXPECT_TRUE(first.compiled);
  ASSERT_EQ(first.path, dir / kKey.fileName());
  EXPECT_FALSE(run.obtain().compiled);

  {
    std::fstream file(*first.path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(static_cast<std::streamoff>(fs::file_size(*first.path) / 2));
    const auto byte = static_cast<char>(file.peek() ^ 0x10);
    file.seekp(file.tellg()).put(byte);
  }
  EXPECT_TRUE(run.obtain().compiled);
  ASSERT_EQ(run.warnings.size(), 1U);
  EXPECT_NE(run.warnings[0].find("section values is corrupt"), std::string::npos);
  EXPECT_FALSE(run.obtain().compiled);
  EXPECT_EQ(run.warnings.size(), 1U);

  // Listing and clearing are checked through vantrel-atlas; clearing spares files not ours.
  std::ofstream(dir / "notes.txt") << "not ours";
  clearFolder(dir.path());
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"notes.txt"});
}

TEST(Store, ReadsTheSystemFolderAfterTheUsersAndNeverWritesIt) {
  const TempDir system("vantrel-system"), user("vantrel-user");
  ProgramRun(system.path()).obtain();
  ProgramRun run(user.path(), system.path());
  const Obtained obtained = run.obtain();
  EXPECT_FALSE(obtained.compiled);
  EXPECT_EQ(obtained.path, system / kKey.fileName());
  EXPECT_TRUE(namesIn(user.path()).empty());
  EXPECT_TRUE(run.warnings.empty());
}

TEST(Store, AFolderThatCannotBeWrittenMeansCompilingInMemoryWithOneWarning) {
  const TempDir dir("vantrel-store");
  // Modes do not stop root, but nothing can be created in /proc.
  const fs::path folder = ::geteuid() == 0 ? fs::path("/proc") : dir / "read-only";
  fs::create_directories(dir / "read-only");
  fs::permissions(dir / "read-only", fs::perms::owner_read | fs::perms::owner_exec);
  ProgramRun run(folder);
  for (int i = 0; i < 2; ++i) {
    const Obtained obtained = run.obtain();
    EXPECT_TRUE(obtained.compiled);
    EXPECT_FALSE(obtained.path);
  }
  ASSERT_EQ(run.warnings.size(), 1U);
  EXPECT_NE(run.warnings[0].find("cannot write the cache folder " + folder.string()),
            std::string::npos);

  ProgramRun noCache(dir.path(), std::nullopt, false);
  EXPECT_FALSE(noCache.obtain().path);
  EXPECT_TRUE(noCache.warnings.empty());
  fs::permissions(dir / "read-only", fs::perms::owner_all);
}

TEST(Store, KnowsBeforeCompilingWhetherItCanKeepWhatItCompiles) {
  const TempDir dir("vantrel-store");
  ProgramRun writable(dir / "new");
  EXPECT_TRUE(writable.store.canKeep("reading from the files"));
  EXPECT_TRUE(namesIn(dir / "new").empty());  // the scratch file is gone
  ProgramRun unwritable("/proc");
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(unwritable.store.canKeep("reading from the files"));
  }
  ASSERT_EQ(unwritable.warnings.size(), 1U);
  EXPECT_TRUE(unwritable.warnings[0].starts_with("cannot write the cache folder /proc ("));
  EXPECT_TRUE(unwritable.warnings[0].ends_with("; reading from the files"));
  EXPECT_FALSE(ProgramRun(dir.path(), std::nullopt, false).store.canKeep(""));
  EXPECT_TRUE(writable.warnings.empty());
}

TEST(Store, TwoProcessesCompilingAtOnceAreBothRightAndLeaveOneFile) {
  const TempDir dir("vantrel-store");
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < 2; ++i) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(start[1]);
      char go = 0;
      const bool released = ::read(start[0], &go, 1) == 0;  // both wait for the pipe to close
      ProgramRun run(dir.path());
      run.obtain();
      ::_exit(released && run.warnings.empty() ? 0 : 1);
    }
    children.push_back(pid);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (const pid_t child : children) {
    int status = -1;  // a child that hangs is stopped by the test's time limit
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{kKey.fileName()});
  ProgramRun after(dir.path());
  EXPECT_FALSE(after.obtain().compiled);
  EXPECT_TRUE(after.warnings.empty());
}

}  // namespace
}  // namespace cache
