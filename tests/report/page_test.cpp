// The report page: hostile text, sections in order, and tables that stay readable.
#include "report/page.hpp"

#include <gtest/gtest.h>

namespace report {
namespace {

TEST(Page, KeepsSectionsInOrderHostileTextAsTextAndNumbersOnOneLine) {
  const Provenance provenance{"vantrel-atlas table pts.tsv",
                              "vantrel-atlas 0.1.0",
                              "mricron-data 1.0",
                              "2026-12-06T22:00:00Z",
                              "MNI to Talairach",
                              {{"aal", "/d/aal.nii.gz", "ab12", "181x217x181"}},
                              Source{"input", "pts.tsv", "cd34", ""}};
  // Two tables of two number columns, whose rows are groups with details, and a plain one.
  Table readable{{"cluster", "voxels", "aal at peak"}, {}, 2};
  readable.rows.push_back({{"1", "152", "Frontal_Sup_L"},
                           imaging::Vec3{1, 2, 3},
                           "figures/c1.png",
                           {{"aal composition", "60% Frontal_Sup_L; 40% <none>"}}});
  readable.rows.push_back({{"2", "8", "Precentral_R"}, std::nullopt, "", {}});
  Table plain{{"line", "aal"}, {}};
  plain.rows.push_back(
      {{"2", "<script>x</script> & \"q\" 'a'"}, imaging::Vec3{-38, -22.5, 56}, "figures/a b#.png"});
  plain.rows.push_back({{"3", "Frontal_Sup_L"}, std::nullopt, ""});
  const std::string html = renderPage(
      {"Report <1> {{sections}}",
       {commandSection(provenance), provenanceSection(provenance),
        figureSection("glass-brain", "Glass brain", "figures/glass-brain.pdf", "all points"),
        tableSection("clusters", "Clusters", readable), tableSection("peaks", "Peaks", readable),
        tableSection("points", "Points", plain)}});
  // Each part of the page and how many times it appears.
  const std::pair<std::string, std::size_t> cases[] = {
      {"<title>Report &lt;1&gt; {{sections}}</title>", 1},
      {"&lt;script&gt;x&lt;/script&gt; &amp; &quot;q&quot; &#39;a&#39;", 1},
      {"<script>", 0},
      {"<tr data-mni-x=\"-38\" data-mni-y=\"-22.5\" data-mni-z=\"56\"><td><a "
       "href=\"figures/a%20b%23.png\">2</a></td>",
       1},
      {"<tbody>\n<tr data-mni-x", 1},
      {"<tr><td>3</td><td>Frontal_Sup_L</td></tr>", 1},
      {"<img src=\"figures/glass-brain.pdf\"", 0},
      {"<a href=\"figures/glass-brain.pdf\">", 1},
      {"cd34", 1},
      {"<th class=\"number\">voxels</th><th>aal at peak</th>", 2},
      {"<td class=\"number\"><a href=\"figures/c1.png\">1</a></td><td class=\"number\">152</td>"
       "<td>Frontal_<wbr>Sup_<wbr>L</td></tr>\n<tr class=\"details\"><td colspan=\"3\"><dl>\n"
       "<dt>aal composition</dt><dd>60% Frontal_Sup_L; 40% &lt;none&gt;</dd>\n</dl></td></tr>\n"
       "</tbody>",
       2},
      {"<tbody class=\"group\">\n<tr><td class=\"number\">2</td><td class=\"number\">8</td>"
       "<td>Precentral_<wbr>R</td></tr>\n</tbody>",
       2},
      {"tbody.group tr {", 1},  // the tables' style, once for both tables that need it
  };
  for (const auto& [part, times] : cases) {
    std::size_t found = 0;
    for (auto at = html.find(part); at != std::string::npos; at = html.find(part, at + 1))
      ++found;
    EXPECT_EQ(found, times) << part;
  }
  std::size_t previous = 0;
  for (const char* id : {"command", "provenance", "glass-brain", "clusters", "peaks", "points"}) {
    const std::size_t at = html.find("id=\"" + std::string(id) + "\"");
    EXPECT_TRUE(at != std::string::npos && at > previous) << id;
    previous = at;
  }
}

}  // namespace
}  // namespace report
