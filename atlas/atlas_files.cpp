// The rules by which atlas files on disk are recognised, named and found.
#include "atlas/atlas_files.hpp"

#include <algorithm>
#include <filesystem>

namespace atlas {
namespace {

namespace fs = std::filesystem;

bool isKeyCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
}

bool isKeyStart(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

bool isValidKey(std::string_view text) {
  return !text.empty() && isKeyStart(text.front()) &&
         std::all_of(text.begin(), text.end(), isKeyCharacter);
}

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

std::string_view extensionOf(std::string_view fileName) {
  for (const std::string_view extension : {".nii.gz", ".nii", ".tsv", ".xml"}) {
    if (fileName.size() > extension.size() && fileName.ends_with(extension)) {
      return fileName.substr(fileName.size() - extension.size());
    }
  }
  return {};
}

std::vector<fs::path> sortedEntries(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

bool isTemplateFlowFile(const fs::path& path) {
  std::error_code error;
  const std::optional<BidsName> name = parseBidsName(path.filename().string());
  return name && isTemplateFlowAtlas(*name) && fs::is_regular_file(path, error);
}

}  // namespace

std::string_view formName(AtlasForm form) {
  switch (form) {
    case AtlasForm::kDebian:
      return "debian";
    case AtlasForm::kFsl:
      return "fsl";
    case AtlasForm::kTemplateFlow:
      return "templateflow";
    case AtlasForm::kTable:
      break;
  }
  return "table";
}

std::string BidsName::entity(std::string_view key) const {
  for (const auto& [name, value] : entities) {
    if (name == key) {
      return value;
    }
  }
  return {};
}

std::optional<BidsName> parseBidsName(std::string_view fileName) {
  BidsName name;
  name.extension = extensionOf(fileName);
  if (name.extension.empty()) {
    return std::nullopt;
  }
  fileName.remove_suffix(name.extension.size());
  const std::size_t lastPart = fileName.rfind('_');
  if (lastPart == std::string_view::npos) {
    return std::nullopt;
  }
  name.suffix = fileName.substr(lastPart + 1);
  for (std::string_view rest = fileName.substr(0, lastPart); !rest.empty();) {
    const std::size_t end = std::min(rest.find('_'), rest.size());
    const std::string_view part = rest.substr(0, end);
    const std::size_t dash = part.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == part.size()) {
      return std::nullopt;
    }
    name.entities.emplace_back(part.substr(0, dash), part.substr(dash + 1));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  if (name.suffix.empty() || name.entities.empty()) {
    return std::nullopt;
  }
  return name;
}

bool isTemplateFlowAtlas(const BidsName& name) {
  const bool image = name.extension == ".nii.gz" || name.extension == ".nii";
  return image && (name.suffix == "dseg" || name.suffix == "probseg") &&
         !name.entity("atlas").empty();
}

std::string templateFlowTable(const std::string& imagePath, const BidsName& name) {
  std::string table;
  for (const auto& [key, value] : name.entities) {
    if (key != "res" && key != "den") {
      table += key + "-" + value + "_";
    }
  }
  table += name.suffix + ".tsv";
  return (fs::path(imagePath).parent_path() / table).string();
}

std::string keyFrom(std::string_view text) {
  std::string key = lowerCase(text);
  std::replace_if(key.begin(), key.end(), [](char c) { return !isKeyCharacter(c); }, '-');
  const auto start = std::find_if(key.begin(), key.end(), isKeyStart);
  key.erase(key.begin(), start);
  return key.empty() ? "atlas" : key;
}

std::string templateFlowKey(const BidsName& name) {
  const std::string desc = name.entity("desc");
  return keyFrom(name.entity("atlas") + (desc.empty() ? "" : "-" + desc));
}

std::string baseNameOf(const std::string& path) {
  const std::string file = fs::path(path).filename().string();
  for (const std::string_view extension : {".nii.gz", ".nii", ".xml"}) {
    if (file.size() > extension.size() && file.ends_with(extension)) {
      return file.substr(0, file.size() - extension.size());
    }
  }
  return file;
}

AtlasFileArgument parseAtlasFileArgument(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  if (equals != std::string_view::npos && isValidKey(argument.substr(0, equals))) {
    return {std::string(argument.substr(0, equals)), std::string(argument.substr(equals + 1))};
  }
  return {"", std::string(argument)};
}

std::vector<std::string> atlasSearchFolders(const char* atlasPath, const char* fslDir) {
  std::vector<std::string> folders;
  for (std::string_view rest = atlasPath == nullptr ? "" : atlasPath; !rest.empty();) {
    const std::size_t colon = std::min(rest.find(':'), rest.size());
    if (colon > 0) {
      folders.emplace_back(rest.substr(0, colon));
    }
    rest.remove_prefix(std::min(colon + 1, rest.size()));
  }
  if (fslDir != nullptr && *fslDir != '\0') {
    folders.push_back((fs::path(fslDir) / "data" / "atlases").string());
  }
  return folders;
}

std::vector<std::string> findAtlasFiles(const std::vector<std::string>& folders) {
  std::vector<std::string> files;
  for (const std::string& folder : folders) {
    std::vector<std::string> found;
    std::error_code error;
    for (const fs::path& entry : sortedEntries(folder)) {
      if (entry.extension() == ".xml" && fs::is_regular_file(entry, error)) {
        found.push_back(entry.string());
      } else if (isTemplateFlowFile(entry)) {
        found.push_back(entry.string());
      } else if (fs::is_directory(entry, error)) {
        for (const fs::path& inner : sortedEntries(entry)) {
          if (isTemplateFlowFile(inner)) {
            found.push_back(inner.string());
          }
        }
      }
    }
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

}  // namespace atlas
