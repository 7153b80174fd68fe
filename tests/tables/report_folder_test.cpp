#include "tables/report_folder.hpp"

#include <fstream>

#include "tests/figures/figure_fixture.hpp"

namespace report {
namespace {

using figures::fixture::FigureTest;

TEST_F(FigureTest, AnUnfinishedReportTakesBackWhatItMadeButNotWhatWasThere) {
  const auto existing = dir_ / "existing";
  std::filesystem::create_directories(existing / "figures");
  std::ofstream(existing / "figures" / "old.png") << "old";
  // A folder made fresh, parents and all, goes entirely; one that was there keeps its files.
  for (const auto& dir : {dir_ / "fresh" / "report", existing}) {
    {
      ReportFolder folder(dir, ReportFolder::kReportFigures);
      std::ofstream(folder.figurePath("point-1.png")) << "png";
      folder.wrote(folder.figurePath("point-1.png"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "figures" / "point-1.png"));
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "fresh"));
  EXPECT_TRUE(std::filesystem::exists(existing / "figures" / "old.png"));
  {
    ReportFolder folder(dir_ / "done", ReportFolder::kReportFigures);
    folder.finish("<!DOCTYPE html>");
  }
  EXPECT_TRUE(std::filesystem::exists(dir_ / "done" / "index.html"));
}

}  // namespace
}  // namespace report
