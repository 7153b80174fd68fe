// Recognises an atlas file's form and gathers what it says about itself.
#include "atlas/atlas_sources.hpp"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace atlas {
namespace {

namespace fs = std::filesystem;

// Atlas descriptions and tables are small; anything larger is not one.
constexpr std::size_t kMaxDescriptionBytes = std::size_t{16} << 20;

AtlasSource describeFsl(const std::string& path,
                        std::size_t (*finest)(const std::vector<std::string>& images)) {
  const FslAtlasDescription fsl = parseFslAtlas(readSmallFile(path, kMaxDescriptionBytes), path);
  const std::string folder = fs::path(path).parent_path().string();
  std::vector<std::string> images;
  for (const FslImages& resolution : fsl.resolutions) {
    images.push_back(resolveFslImage(folder, resolution.image, path));
  }
  const std::size_t chosen = images.size() == 1 ? 0 : finest(images);
  AtlasSource source;
  source.key = keyFrom(fsl.shortName.empty() ? baseNameOf(path) : fsl.shortName);
  source.form = AtlasForm::kFsl;
  source.type = fsl.type;
  source.templateSpace = kFslTemplateSpace;
  source.description = path;
  source.image = images[chosen];
  if (!fsl.resolutions[chosen].summary.empty()) {
    source.summary = resolveFslImage(folder, fsl.resolutions[chosen].summary, path);
    source.summaryIsIndexPlusOne = true;
  }
  source.regions = fsl.regions;
  return source;
}

AtlasSource describeTemplateFlow(const std::string& path, const BidsName& name) {
  AtlasSource source;
  source.key = templateFlowKey(name);
  source.form = AtlasForm::kTemplateFlow;
  source.type = name.suffix == "probseg" ? AtlasType::kProbabilistic : AtlasType::kLabel;
  source.templateSpace = name.entity("tpl");
  source.description = path;
  source.image = path;
  source.table = templateFlowTable(path, name);
  std::error_code error;
  if (!fs::is_regular_file(source.table, error)) {
    throw std::runtime_error(path + ": its region table " + source.table + " is missing");
  }
  std::optional<Regions> regions =
      parseLabelTsv(readSmallFile(source.table, kMaxDescriptionBytes), source.table);
  if (!regions) {
    throw std::runtime_error(source.table + ": no index and name columns in its header");
  }
  source.regions = std::move(*regions);
  return source;
}

AtlasSource describeLabelImage(const std::string& path) {
  AtlasSource source;
  source.key = keyFrom(baseNameOf(path));
  source.description = path;
  source.image = path;
  if (std::optional<FoundLabelTable> table = findLabelTable(path)) {
    source.table = table->path;
    source.regions = std::move(table->regions);
  }
  return source;
}

}  // namespace

std::vector<std::string> filesOf(const AtlasSource& source) {
  std::vector<std::string> files;
  for (const std::string* file :
       {&source.description, &source.image, &source.summary, &source.table}) {
    if (!file->empty() && std::find(files.begin(), files.end(), *file) == files.end()) {
      files.push_back(*file);
    }
  }
  return files;
}

AtlasSource describeAtlas(const std::string& path, const std::string& key,
                          std::size_t (*finest)(const std::vector<std::string>& images)) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    throw std::runtime_error(path + ": no such atlas file");
  }
  AtlasSource source;
  const std::optional<BidsName> name = parseBidsName(fs::path(path).filename().string());
  if (path.ends_with(".xml")) {
    source = describeFsl(path, finest);
  } else if (name && isTemplateFlowAtlas(*name)) {
    source = describeTemplateFlow(path, *name);
  } else {
    source = describeLabelImage(path);
  }
  if (!key.empty()) {
    source.key = key;
  }
  return source;
}

}  // namespace atlas
