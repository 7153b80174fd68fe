// Tests of output files that appear whole or not at all, and of folders a failed run takes back.
#include "tables/staged_files.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tables/output_folder.hpp"
#include "testkit/temp_dir.hpp"

namespace tables {
namespace {

namespace fs = std::filesystem;
using vantrel::kit::TempDir;

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StagedFiles, AGroupWithAFailedFileLeavesNothingAndTheOldFilesAsTheyWere) {
  const TempDir dir("vantrel-staged");
  std::ofstream(dir / "a.tsv") << "old";
  {
    StagedFiles files;
    files.stageText(dir / "a.tsv", "new");
    EXPECT_THROW(files.stage(dir / "b.nii",
                             [](const fs::path& temporary) {
                               std::ofstream(temporary) << "half";
                               throw std::runtime_error("disk full");
                             }),
                 std::runtime_error);
  }
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.tsv"});
  EXPECT_EQ(contentOf(dir / "a.tsv"), "old");

  StagedFiles files;
  files.stageText(dir / "a.tsv", "new");
  files.stageText(dir / "b.tsv", "b");
  EXPECT_EQ(contentOf(dir / "a.tsv"), "old");
  files.commit();
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.tsv", "b.tsv"}));
  EXPECT_EQ(contentOf(dir / "a.tsv"), "new");
  EXPECT_THROW(writeTextWhole(dir / "none" / "c.tsv", "c"), std::runtime_error);
}

TEST(OutputFolder, AnUnfinishedRunTakesBackWhatItMadeButNotWhatWasThere) {
  const TempDir dir("vantrel-folder");
  const fs::path existing = dir / "existing";
  fs::create_directories(existing / "figures");
  std::ofstream(existing / "figures" / "old.png") << "old";
  // A fresh folder goes entirely, parents and all; one that was there keeps its files.
  for (const fs::path& report : {dir / "fresh" / "report", existing}) {
    {
      OutputFolder folder(report, "figures");
      writeTextWhole(folder.figurePath("point-1.png"), "png");
      folder.wrote(folder.figurePath("point-1.png"));
    }
    EXPECT_FALSE(fs::exists(report / "figures" / "point-1.png"));
  }
  EXPECT_FALSE(fs::exists(dir / "fresh"));
  EXPECT_EQ(namesIn(existing / "figures"), std::vector<std::string>{"old.png"});
  {
    OutputFolder folder(dir / "done", "figures");
    folder.finish("index.html", "<!DOCTYPE html>");
  }
  EXPECT_EQ(contentOf(dir / "done" / "index.html"), "<!DOCTYPE html>");
  EXPECT_THROW(OutputFolder(existing / "figures" / "old.png", ""), std::runtime_error);
}

}  // namespace
}  // namespace tables
