// Text made safe for an HTML page, element content and quoted attribute values, and the page's
// templates filled.
#include "report/html.hpp"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace report {

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string escapeHref(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '/' || c == '.' || c == '-' || c == '_') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string fillTemplate(std::string_view text, TemplateValues values) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t open = text.find("{{", at);
    const std::size_t close = text.find("}}", open);
    if (open == std::string_view::npos || close == std::string_view::npos) {
      out += text.substr(at);
      break;
    }
    const std::string_view name = text.substr(open + 2, close - open - 2);
    const auto value = std::find_if(values.begin(), values.end(),
                                    [&](const auto& pair) { return pair.first == name; });
    if (value == values.end()) {
      throw std::logic_error("the template has no value for {{" + std::string(name) + "}}");
    }
    out += text.substr(at, open - at);
    out += value->second;
    at = close + 2;
  }
  return out;
}

}  // namespace report
