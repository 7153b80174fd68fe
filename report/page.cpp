// The report page: an ordered list of sections, laid out as one self-contained HTML file.
#include "report/page.hpp"

#include <cstdio>

#include "report/html.hpp"

namespace report {
namespace {

// Everything the page needs is in the file itself: no fonts, scripts or styles are fetched,
// and the policy turns any attempt to fetch one into a visible error.
constexpr const char* kHead = R"(<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src 'self' file: data:; style-src 'unsafe-inline' file:; script-src file:">
<style>
:root { color-scheme: light; }
body { font: 15px/1.45 "DejaVu Sans", "Helvetica Neue", Arial, sans-serif; color: #16161a;
       margin: 0 auto; padding: 1.5rem; max-width: 84rem; }
h1 { font-size: 1.6rem; margin: 0 0 1rem; }
h2 { font-size: 1.2rem; margin: 2rem 0 0.6rem; border-bottom: 2px solid #d0d0d8;
     padding-bottom: 0.2rem; }
code, .mono { font-family: "DejaVu Sans Mono", monospace; font-size: 0.88em; }
pre { white-space: pre-wrap; word-break: break-all; background: #f3f3f6; padding: 0.6rem;
      border-radius: 4px; }
table { border-collapse: collapse; font-size: 0.9rem; width: 100%; }
th, td { border: 1px solid #d0d0d8; padding: 0.25rem 0.5rem; text-align: left;
         vertical-align: top; overflow-wrap: anywhere; }
td:first-child { white-space: nowrap; }
th { background: #ececf2; }
tbody tr:nth-child(even) { background: #f7f7fa; }
.scroll { overflow-x: auto; }
dl { display: grid; grid-template-columns: max-content 1fr; gap: 0.2rem 1rem; }
dt { font-weight: bold; }
dd { margin: 0; }
figure { margin: 0; }
figure img { max-width: 100%; height: auto; border: 1px solid #d0d0d8; }
figcaption { font-size: 0.9rem; color: #44444c; }
a { color: #1a55b8; }
@media print {
  body { max-width: none; padding: 0; font-size: 10pt; }
  a { color: inherit; text-decoration: none; }
  .scroll { overflow: visible; }
  h2 { break-after: avoid; }
  tr, figure { break-inside: avoid; }
  pre { background: none; border: 1px solid #ccc; }
}
</style>
)";

std::string sectionHtml(const Section& section) {
  return "<section id=\"" + escapeHtml(section.id) + "\">\n<h2>" + escapeHtml(section.title) +
         "</h2>\n" + section.html + "</section>\n";
}

std::string definition(const std::string& term, const std::string& value) {
  return "<dt>" + escapeHtml(term) + "</dt><dd>" + escapeHtml(value) + "</dd>\n";
}

std::string coordinate(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string rowHtml(const Row& row) {
  std::string html = "<tr";
  if (row.mni) {
    html += " data-mni-x=\"" + coordinate((*row.mni)[0]) + "\" data-mni-y=\"" +
            coordinate((*row.mni)[1]) + "\" data-mni-z=\"" + coordinate((*row.mni)[2]) + "\"";
  }
  html += ">";
  for (std::size_t i = 0; i < row.cells.size(); ++i) {
    const std::string text = escapeHtml(row.cells[i]);
    if (i == 0 && !row.figure.empty()) {
      html += "<td><a href=\"" + escapeHref(row.figure) + "\">" + text + "</a></td>";
    } else {
      html += "<td>" + text + "</td>";
    }
  }
  return html + "</tr>\n";
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string renderPage(const Page& page) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n";
  html += kHead;
  html += "<title>" + escapeHtml(page.title) + "</title>\n</head>\n<body>\n<h1>" +
          escapeHtml(page.title) + "</h1>\n";
  for (const Section& section : page.sections) {
    html += sectionHtml(section);
  }
  return html + "</body>\n</html>\n";
}

Section commandSection(const Provenance& provenance) {
  return {"command", "Command",
          "<pre>" + escapeHtml(provenance.commandLine) + "</pre>\n<dl>\n" +
              definition("Tool", provenance.toolVersion) +
              definition("Data", provenance.dataPackage) + definition("Date", provenance.date) +
              "</dl>\n"};
}

Section provenanceSection(const Provenance& provenance) {
  std::string html = "<dl>\n" + definition("Data package", provenance.dataPackage) +
                     definition("Transform", provenance.transform);
  if (provenance.input) {
    html += definition("Input", provenance.input->file) +
            "<dt>Input SHA-256</dt><dd class=\"mono\">" + escapeHtml(provenance.input->sha256) +
            "</dd>\n";
  }
  html += "</dl>\n";
  Table atlases{{"Atlas", "File", "SHA-256", "Details"}, {}};
  for (const Source& source : provenance.atlases) {
    atlases.rows.push_back({{source.name, source.file, source.sha256, source.detail}, {}, {}});
  }
  html += tableSection("", "", atlases).html;
  return {"provenance", "Provenance", html};
}

Section figureSection(const std::string& id, const std::string& title, const std::string& figure,
                      const std::string& caption) {
  const std::string href = escapeHref(figure);
  const std::string shown = endsWith(figure, ".pdf")
                                ? "<a href=\"" + href + "\">" + escapeHtml(figure) + "</a>"
                                : "<a href=\"" + href + "\"><img src=\"" + href + "\" alt=\"" +
                                      escapeHtml(title) + "\"></a>";
  return {
      id, title,
      "<figure>\n" + shown + "\n<figcaption>" + escapeHtml(caption) + "</figcaption>\n</figure>\n"};
}

Section tableSection(const std::string& id, const std::string& title, const Table& table) {
  std::string html = "<div class=\"scroll\"><table>\n<thead><tr>";
  for (const auto& name : table.header) {
    html += "<th>" + escapeHtml(name) + "</th>";
  }
  html += "</tr></thead>\n<tbody>\n";
  for (const Row& row : table.rows) {
    html += rowHtml(row);
  }
  return {id, title, html + "</tbody>\n</table></div>\n"};
}

}  // namespace report
