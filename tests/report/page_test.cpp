// The report page: hostile text, sections in order, and tables that stay readable.
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
  const std::string html =
      renderPage({"Report <1> {{sections}}", {tableSection("points", "Points", table)}});
  struct Case {
    const char* part;
    bool present;
  } cases[] = {
      {"&lt;script&gt;x&lt;/script&gt; &amp; &quot;q&quot; &#39;a&#39;", true},
      {"<script>", false},
      {"<title>Report &lt;1&gt; {{sections}}</title>", true},
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

TEST(Page, NumbersStayOnOneLineAndDetailsSpanTheTableUnderTheirRow) {
  Table readable{{"cluster", "voxels", "aal at peak"}, {}, 2};
  readable.rows.push_back({{"1", "152", "Frontal_Sup_L"},
                           imaging::Vec3{1, 2, 3},
                           "figures/c1.png",
                           {{"aal composition", "60% Frontal_Sup_L; 40% <none>"}}});
  readable.rows.push_back({{"2", "8", "Precentral_R"}, std::nullopt, "", {}});
  Table plain{{"point", "aal"}, {{{"Line 2", "Frontal_Sup_L"}, std::nullopt, ""}}};
  const std::string html = renderPage(
      {"r",
       {tableSection("clusters", "Clusters", readable), tableSection("peaks", "Peaks", readable),
        tableSection("points", "Points", plain)}});
  struct Case {
    const char* part;
    std::size_t times;
  } cases[] = {
      {"<th class=\"number\">voxels</th><th>aal at peak</th>", 2},
      {"<td class=\"number\"><a href=\"figures/c1.png\">1</a></td><td class=\"number\">152</td>"
       "<td>Frontal_<wbr>Sup_<wbr>L</td></tr>\n<tr class=\"details\"><td colspan=\"3\"><dl>\n"
       "<dt>aal composition</dt><dd>60% Frontal_Sup_L; 40% &lt;none&gt;</dd>\n</dl></td></tr>\n"
       "</tbody>",
       2},
      {"<tbody class=\"group\">\n<tr><td class=\"number\">2</td><td class=\"number\">8</td>"
       "<td>Precentral_<wbr>R</td></tr>\n</tbody>",
       2},
      {"<tbody>\n<tr><td>Line 2</td><td>Frontal_Sup_L</td></tr>", 1},
      {"tbody.group tr {", 1},  // the tables' style, once for both tables that need it
  };
  for (const auto& c : cases) {
    std::size_t times = 0;
    for (auto at = html.find(c.part); at != std::string::npos; at = html.find(c.part, at + 1))
      ++times;
    EXPECT_EQ(times, c.times) << c.part;
  }
}

}  // namespace
}  // namespace report
