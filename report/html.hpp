// Text made safe for an HTML page: element content and quoted attribute values.
#pragma once

#include <string>
#include <string_view>

namespace report {

std::string escapeHtml(std::string_view text);

// A file name or relative path as an href: every byte outside a safe set percent-encoded.
std::string escapeHref(std::string_view path);

}  // namespace report
