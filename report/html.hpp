// Text made safe for an HTML page, element content and quoted attribute values, and the page's
// templates filled.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace report {

std::string escapeHtml(std::string_view text);

// A file name or relative path as an href: every byte outside a safe set percent-encoded.
std::string escapeHref(std::string_view path);

using TemplateValues = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// The template with each {{name}} replaced by its value, in one pass, so that no value is read
// as template. Throws std::logic_error on a name with no value.
std::string fillTemplate(std::string_view text, TemplateValues values);

}  // namespace report
