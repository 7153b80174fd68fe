#include "vantrel-atlas/report/report_folder.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace report {
namespace {

class ReportFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ =
        std::filesystem::temp_directory_path() / ("vantrel-report-" + std::to_string(::getpid()));
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
    std::ofstream(scratch_ / "file") << "x";
  }
  void TearDown() override { std::filesystem::remove_all(scratch_); }
  std::filesystem::path scratch_;
};

TEST_F(ReportFolderTest, AFolderIsMadeWithItsParentsOrIsAClearErrorThatLeavesNothing) {
  struct Case {
    std::filesystem::path dir, named;
    const char* says;
  } cases[] = {
      {scratch_ / "file", scratch_ / "file", "is not a folder"},
      {scratch_ / "file" / "report", scratch_ / "file", "is not a folder"},
      {scratch_ / "new" / "report", scratch_ / "new" / "report", ""},
      {"/proc/vantrel-report", "/proc/vantrel-report", "cannot create"},
  };
  for (const auto& c : cases) {
    try {
      ReportFolder folder(c.dir, ReportFolder::kReportFigures);
      EXPECT_EQ(*c.says, '\0') << c.dir << " was accepted";
      EXPECT_TRUE(std::filesystem::is_directory(c.dir / "figures"));
    } catch (const std::runtime_error& error) {
      EXPECT_NE(*c.says, '\0') << error.what();
      EXPECT_NE(std::string(error.what()).find(c.named.string() + ": "), std::string::npos);
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_), {}), 1);
}

TEST_F(ReportFolderTest, AnUnfinishedReportTakesBackWhatItMadeButNotWhatWasThere) {
  const auto existing = scratch_ / "existing";
  std::filesystem::create_directories(existing / "figures");
  std::ofstream(existing / "figures" / "old.png") << "old";
  for (const auto& dir : {scratch_ / "fresh", existing}) {
    {
      ReportFolder folder(dir, ReportFolder::kReportFigures);
      std::ofstream(folder.figurePath("point-1.png")) << "png";
      folder.wrote(folder.figurePath("point-1.png"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "figures" / "point-1.png"));
  }
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "fresh"));
  EXPECT_TRUE(std::filesystem::exists(existing / "figures" / "old.png"));
  {
    ReportFolder folder(scratch_ / "done", ReportFolder::kReportFigures);
    folder.finish("<!DOCTYPE html>");
  }
  EXPECT_TRUE(std::filesystem::exists(scratch_ / "done" / "index.html"));
}

}  // namespace
}  // namespace report
