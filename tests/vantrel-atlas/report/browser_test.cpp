// The report in a real browser: headless Chromium, with every host name unresolvable.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "support/subprocess.hpp"
#include "vantrel-atlas/figures/figure_fixture.hpp"
#include "vantrel-atlas/figures/glass_brain.hpp"
#include "vantrel-atlas/figures/slice_figure.hpp"
#include "vantrel-atlas/report/page.hpp"
#include "vantrel-atlas/report/report_folder.hpp"

namespace report {
namespace {

using figures::fixture::FigureTest;

const std::vector<std::string> kLabels{"Precentral_L", "Frontal_Sup_Medial_L", "Cingulum_Ant_L"};

// A points report as vantrel-atlas lays it out: glass brain, then one linked row per point.
void writeReport(const std::filesystem::path& dir) {
  const auto& anatomy = figures::fixture::syntheticAnatomy();
  ReportFolder folder(dir, ReportFolder::kReportFigures);
  Table points{{"line", "x", "y", "z", "aal"}, {}};
  figures::GlassBrain glass{"All points", {}, {}, nullptr};
  for (std::size_t i = 0; i < kLabels.size(); ++i) {
    const figures::Vec3 point{-10.0 * static_cast<double>(i), 5, 20};
    const std::string name = "line-" + std::to_string(i + 2) + ".png";
    const figures::SliceFigure figure{point, name, {kLabels[i]}, {}, nullptr};
    const auto layout = layoutOf(anatomy, figure);
    figures::writeFigure(folder.figurePath(name), figures::Format::Png, layout.width(),
                         layout.height(),
                         [&](cairo_t* cr) { drawSliceFigure(cr, anatomy, figure); });
    folder.wrote(folder.figurePath(name));
    points.rows.push_back(
        {{std::to_string(i + 2), "x", "5", "20", kLabels[i]}, point, folder.figureHref(name)});
    glass.marks.push_back({point, std::to_string(i + 2)});
  }
  const auto layout = layoutOf(anatomy, glass);
  figures::writeFigure(folder.figurePath("glass-brain.png"), figures::Format::Png, layout.width(),
                       layout.height(), [&](cairo_t* cr) { drawGlassBrain(cr, anatomy, glass); });
  const Provenance provenance{
      "vantrel-atlas table points.tsv", "0.1.0", "mricron-data", "today", "none", {}, std::nullopt};
  folder.finish(renderPage({"Points",
                            {commandSection(provenance), provenanceSection(provenance),
                             figureSection("glass-brain", "Glass brain",
                                           folder.figureHref("glass-brain.png"), "every point"),
                             tableSection("points", "Points", points)}}));
}

vantrel::testing::ProcessResult browse(const std::filesystem::path& dir,
                                       std::vector<std::string> args) {
  const std::vector<std::string> common{"--headless",
                                        "--no-sandbox",
                                        "--disable-gpu",
                                        "--no-first-run",
                                        "--disable-background-networking",
                                        "--disable-component-update",
                                        "--disable-sync",
                                        "--host-resolver-rules=MAP * ~NOTFOUND",
                                        "--user-data-dir=" + (dir / "profile").string(),
                                        "--enable-logging=stderr",
                                        "--v=0"};
  args.insert(args.begin(), common.begin(), common.end());
  args.push_back("file://" + (dir / "report" / "index.html").string());
  return vantrel::testing::runProcess(CHROMIUM_PROGRAM, args, {}, std::chrono::seconds(90));
}

std::string fileText(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

TEST_F(FigureTest, ChromiumShowsTheWholeReportOffline) {
  writeReport(dir_ / "report");
  const auto shot =
      browse(dir_, {"--window-size=1280,2000", "--screenshot=" + (dir_ / "shot.png").string()});
  ASSERT_EQ(shot.exitStatus, 0) << shot.err;
  // The page has no script, so any console line is an error: a blocked fetch, a bad policy.
  EXPECT_EQ(shot.err.find(":CONSOLE"), std::string::npos) << shot.err;
  const figures::fixture::Picture picture(dir_ / "shot.png");
  ASSERT_TRUE(picture.ok());
  std::set<double> shades;
  for (int y = 0; y < picture.height(); y += 7) {
    for (int x = 0; x < picture.width(); x += 7)
      shades.insert(picture.at(x, y).r);
  }
  EXPECT_GT(shades.size(), 10u);

  const std::string html = fileText(dir_ / "report" / "index.html");
  const std::regex link("(?:href|src)=\"([^\"]*)\"");
  int links = 0;
  for (std::sregex_iterator it(html.begin(), html.end(), link), end; it != end; ++it, ++links) {
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "report" / (*it)[1].str())) << (*it)[1];
  }
  EXPECT_GT(links, static_cast<int>(kLabels.size()));

  const auto dom = browse(dir_, {"--dump-dom"});
  ASSERT_EQ(dom.exitStatus, 0) << dom.err;
  for (const auto& label : kLabels) {
    EXPECT_NE(dom.out.find(label), std::string::npos) << label;
  }
}

}  // namespace
}  // namespace report
