// Reads FSL atlas descriptions with expat, refusing document types and entities.
#include "atlas/fsl_atlas.hpp"

#include <expat.h>

#include <charconv>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>
#include <stdexcept>

namespace atlas {
namespace {

struct ParserDeleter {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// What the handlers build while expat walks the file. The first problem found stops the
// parser and is kept here, so the message names the cause rather than expat's symptom.
struct Reading {
  XML_Parser parser = nullptr;
  FslAtlasDescription atlas;
  std::vector<std::string> path;  // the open elements, outermost first
  std::string text;               // the character data of the innermost open element
  std::string problem;
  std::set<std::int64_t> indices;
  std::int64_t pendingIndex = 0;
  bool sawType = false;

  void refuse(std::string why) {
    if (problem.empty()) {
      problem = std::move(why);
    }
    XML_StopParser(parser, XML_FALSE);
  }
  bool inside(std::string_view parent) const {
    return path.size() >= 2 && path[path.size() - 2] == parent;
  }
};

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A whole number, optionally signed, with nothing around it but blanks.
bool readIndex(std::string_view text, std::int64_t& value) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && !text.empty() && end == text.data() + text.size();
}

void startLabel(Reading& r, const XML_Char** attributes) {
  for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
    if (std::string_view(a[0]) != "index") {
      continue;
    }
    if (!readIndex(a[1], r.pendingIndex)) {
      r.refuse(std::string("region index '") + a[1] + "' is not a whole number");
    } else if (!r.indices.insert(r.pendingIndex).second) {
      r.refuse("region index " + std::to_string(r.pendingIndex) + " is given twice");
    }
    return;
  }
  r.refuse("a <label> has no index");
}

void onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& r = *static_cast<Reading*>(data);
  r.path.emplace_back(name);
  r.text.clear();
  const std::string_view element = name;
  if (element == "images" && r.inside("header")) {
    r.atlas.resolutions.emplace_back();
  } else if (element == "label" && r.inside("data")) {
    startLabel(r, attributes);
  }
}

void endHeaderField(Reading& r, std::string_view element, std::string_view value) {
  if (element == "name") {
    r.atlas.name = value;
  } else if (element == "shortname") {
    r.atlas.shortName = value;
  } else if (element == "type") {
    r.sawType = true;
    if (value == "Label") {
      r.atlas.type = AtlasType::kLabel;
    } else if (value == "Probabilistic") {
      r.atlas.type = AtlasType::kProbabilistic;
    } else {
      r.refuse("type '" + std::string(value) + "' is neither Label nor Probabilistic");
    }
  }
}

void onEnd(void* data, const XML_Char* name) {
  auto& r = *static_cast<Reading*>(data);
  const std::string_view element = name;
  const std::string value(trimmed(r.text));
  if (r.inside("header")) {
    endHeaderField(r, element, value);
  } else if (r.inside("images") && !r.atlas.resolutions.empty()) {
    if (element == "imagefile") {
      r.atlas.resolutions.back().image = value;
    } else if (element == "summaryimagefile") {
      r.atlas.resolutions.back().summary = value;
    }
  } else if (element == "label" && r.inside("data")) {
    if (value.size() > kMaxRegionName) {
      r.refuse("region " + std::to_string(r.pendingIndex) + " has a name longer than " +
               std::to_string(kMaxRegionName) + " characters");
    } else {
      r.atlas.regions.push_back({r.pendingIndex, value});
    }
  }
  r.path.pop_back();
  r.text.clear();
}

void onText(void* data, const XML_Char* text, int length) {
  auto& r = *static_cast<Reading*>(data);
  // Only leaf elements carry text we read, and none of them is long; a region name past the
  // limit is refused at its end, so stop collecting there.
  if (r.text.size() <= kMaxRegionName) {
    r.text.append(text, static_cast<std::size_t>(length));
  }
}

void onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<Reading*>(data)->refuse("declares a document type, which atlas files never do");
}

void onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
              const XML_Char*, const XML_Char*, const XML_Char*) {
  static_cast<Reading*>(data)->refuse("declares an entity, which atlas files never do");
}

void checkComplete(const Reading& r, const std::string& source) {
  if (r.atlas.resolutions.empty()) {
    throw std::runtime_error(source + ": no <images> in the atlas header");
  }
  for (const FslImages& images : r.atlas.resolutions) {
    if (images.image.empty()) {
      throw std::runtime_error(source + ": an <images> element has no <imagefile>");
    }
  }
  if (!r.sawType) {
    throw std::runtime_error(source + ": no <type> in the atlas header");
  }
}

}  // namespace

FslAtlasDescription parseFslAtlas(std::string_view xml, const std::string& source) {
  const std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
  if (!parser) {
    throw std::runtime_error(source + ": out of memory for the XML parser");
  }
  Reading r;
  r.parser = parser.get();
  XML_SetUserData(parser.get(), &r);
  XML_SetElementHandler(parser.get(), onStart, onEnd);
  XML_SetCharacterDataHandler(parser.get(), onText);
  XML_SetStartDoctypeDeclHandler(parser.get(), onDoctype);
  XML_SetEntityDeclHandler(parser.get(), onEntity);
  if (xml.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw std::runtime_error(source + ": too large for an atlas description");
  }
  const XML_Status status =
      XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE);
  if (!r.problem.empty()) {
    throw std::runtime_error(source + ": " + r.problem);
  }
  if (status != XML_STATUS_OK) {
    throw std::runtime_error(source + ":" +
                             std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                             ": not well-formed XML: " +
                             XML_ErrorString(XML_GetErrorCode(parser.get())));
  }
  checkComplete(r, source);
  return std::move(r.atlas);
}

std::string resolveFslImage(const std::string& folder, std::string_view written,
                            const std::string& source) {
  while (!written.empty() && written.front() == '/') {
    written.remove_prefix(1);
  }
  const std::filesystem::path base = std::filesystem::path(folder) / std::string(written);
  for (const char* extension : {"", ".nii.gz", ".nii"}) {
    std::filesystem::path candidate = base;
    candidate += extension;
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) {
      return candidate.string();
    }
  }
  throw std::runtime_error(source + ": the image " + std::string(written) + " is missing");
}

}  // namespace atlas
