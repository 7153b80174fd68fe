// The report page: an ordered list of sections, laid out as one self-contained HTML file.
#include "report/page.hpp"

#include <algorithm>
#include <cstdio>

#include "report/assets.hpp"
#include "report/html.hpp"

namespace report {
namespace {

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

// How a table's cells are written: plain, or readable (numbers marked, and a break allowed
// after every underscore of a name like Frontal_Sup_Medial_L, so that its column can be
// narrower than the whole name).
struct Cells {
  std::size_t numberColumns = 0;
  bool readable = false;
};

std::string cellHtml(const std::string& text, const Cells& cells) {
  std::string html;
  for (const char c : escapeHtml(text)) {
    html += c;
    if (c == '_' && cells.readable) {
      html += "<wbr>";
    }
  }
  return html;
}

std::string rowHtml(const Row& row, const Cells& cells) {
  std::string html = "<tr";
  if (row.mni) {
    html += " data-mni-x=\"" + coordinate((*row.mni)[0]) + "\" data-mni-y=\"" +
            coordinate((*row.mni)[1]) + "\" data-mni-z=\"" + coordinate((*row.mni)[2]) + "\"";
  }
  html += ">";
  for (std::size_t i = 0; i < row.cells.size(); ++i) {
    const std::string text = cellHtml(row.cells[i], cells);
    html += i < cells.numberColumns ? "<td class=\"number\">" : "<td>";
    if (i == 0 && !row.figure.empty()) {
      html += "<a href=\"" + escapeHref(row.figure) + "\">" + text + "</a></td>";
    } else {
      html += text + "</td>";
    }
  }
  return html + "</tr>\n";
}

// The row's details in one cell across the table, in a group of rows with the row itself.
std::string groupHtml(const Row& row, const Cells& cells, std::size_t columns) {
  std::string html = "<tbody class=\"group\">\n" + rowHtml(row, cells);
  if (!row.details.empty()) {
    html += "<tr class=\"details\"><td colspan=\"" + std::to_string(columns) + "\"><dl>\n";
    for (const auto& [term, text] : row.details) {
      html += definition(term, text);
    }
    html += "</dl></td></tr>\n";
  }
  return html + "</tbody>\n";
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string renderPage(const Page& page) {
  std::string style(kPageCss), sections;
  std::vector<std::string_view> styles;
  for (const Section& section : page.sections) {
    if (!section.style.empty() &&
        std::find(styles.begin(), styles.end(), section.style) == styles.end()) {
      styles.push_back(section.style);
      style += section.style;
    }
    sections += sectionHtml(section);
  }
  return fillTemplate(
      kPageHtml, {{"style", style}, {"title", escapeHtml(page.title)}, {"sections", sections}});
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
  const bool grouped = std::any_of(table.rows.begin(), table.rows.end(),
                                   [](const Row& row) { return !row.details.empty(); });
  const Cells cells{table.numberColumns, grouped || table.numberColumns > 0};
  std::string html = cells.readable
                         ? "<div class=\"scroll\"><table class=\"readable\">\n<thead><tr>"
                         : "<div class=\"scroll\"><table>\n<thead><tr>";
  for (std::size_t i = 0; i < table.header.size(); ++i) {
    html += (i < table.numberColumns ? "<th class=\"number\">" : "<th>") +
            escapeHtml(table.header[i]) + "</th>";
  }
  html += "</tr></thead>\n";
  if (grouped) {
    for (const Row& row : table.rows) {
      html += groupHtml(row, cells, table.header.size());
    }
  } else {
    html += "<tbody>\n";
    for (const Row& row : table.rows) {
      html += rowHtml(row, cells);
    }
    html += "</tbody>\n";
  }
  return {id, title, html + "</table></div>\n", cells.readable ? kTablesCss : std::string_view()};
}

}  // namespace report
