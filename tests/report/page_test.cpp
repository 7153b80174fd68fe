#include "report/page.hpp"

#include <gtest/gtest.h>

namespace report {
namespace {

bool holds(const std::string& html, const std::string& part) {
  return html.find(part) != std::string::npos;
}

TEST(Page, HostileTextStaysTextAndRowsCarryTheirCoordinates) {
  Table table{{"line", "aal"}, {}};
  table.rows.push_back(
      {{"2", "<script>x</script> & \"q\" 'a'"}, imaging::Vec3{-38, -22.5, 56}, "figures/a b#.png"});
  table.rows.push_back({{"3", "none"}, std::nullopt, ""});
  const std::string html = renderPage({"Report <1>", {tableSection("points", "Points", table)}});
  struct Case {
    const char* part;
    bool present;
  } cases[] = {
      {"&lt;script&gt;x&lt;/script&gt; &amp; &quot;q&quot; &#39;a&#39;", true},
      {"<script>", false},
      {"<title>Report &lt;1&gt;</title>", true},
      {"<tr data-mni-x=\"-38\" data-mni-y=\"-22.5\" data-mni-z=\"56\">", true},
      {"<a href=\"figures/a%20b%23.png\">2</a>", true},
      {"<tr><td>3</td>", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(holds(html, c.part), c.present) << c.part;
  }
}

TEST(Page, SectionsKeepTheirOrderAndPdfFiguresAreLinkedNotShown) {
  const Provenance provenance{"vantrel-atlas table pts.tsv",
                              "vantrel-atlas 0.1.0",
                              "mricron-data 1.0",
                              "2026-12-06T22:00:00Z",
                              "MNI to Talairach",
                              {{"aal", "/d/aal.nii.gz", "ab12", "181x217x181"}},
                              Source{"input", "pts.tsv", "cd34", ""}};
  const std::string html = renderPage(
      {"r",
       {commandSection(provenance), provenanceSection(provenance),
        figureSection("glass-brain", "Glass brain", "figures/glass-brain.pdf", "all points")}});
  const auto command = html.find("id=\"command\""), origin = html.find("id=\"provenance\""),
             glass = html.find("id=\"glass-brain\"");
  EXPECT_LT(command, origin);
  EXPECT_LT(origin, glass);
  EXPECT_NE(glass, std::string::npos);
  EXPECT_FALSE(holds(html, "<img src=\"figures/glass-brain.pdf\""));
  EXPECT_TRUE(holds(html, "<a href=\"figures/glass-brain.pdf\">"));
  EXPECT_TRUE(holds(html, "cd34"));
}

}  // namespace
}  // namespace report
