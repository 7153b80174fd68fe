// The page's markup and style, kept in files of their own beside this one and compiled in
// (report/CMakeLists.txt), without the comment each file opens with.
#pragma once

#include <string_view>

namespace report {

extern const std::string_view kPageHtml;    // page.html: the page around its sections
extern const std::string_view kPageCss;     // page.css: every page's style
extern const std::string_view kTablesCss;   // tables.css: tables of numbers and long lists
extern const std::string_view kViewerHtml;  // viewer.html: the viewer's section

}  // namespace report
