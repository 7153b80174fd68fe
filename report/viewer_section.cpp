// The report's interactive viewer: its files in a viewer/ folder beside index.html, and the
// section that shows them. Everything loads from file:// with no network.
#include "report/viewer_section.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <system_error>

#include "report/assets.hpp"
#include "report/html.hpp"
#include "tables/staged_files.hpp"

namespace report {
namespace {

namespace fs = std::filesystem;

// The folder beside index.html, which viewer.html names in its links too.
constexpr const char* kFolder = "viewer";
// Copied as they are from where the build put them.
constexpr std::array<const char*, 3> kSharedFiles{"viewer.css", "viewer.js", "niivue.js"};
constexpr const char* kClustersVolume = "clusters.nii.gz";
// The largest volume carried: far beyond any atlas, and still a report one can open.
constexpr std::uintmax_t kMaxVolumeBytes = 64U << 20U;

std::vector<std::uint8_t> readVolume(const fs::path& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error || size > kMaxVolumeBytes) {
    throw std::runtime_error(path.string() + (error ? ": cannot be read for the viewer"
                                                    : ": too large to carry in the viewer"));
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(size);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    throw std::runtime_error(path.string() + ": cannot be read for the viewer");
  }
  return bytes;
}

void writeFile(tables::OutputFolder& folder, const fs::path& path,
               const std::function<void(std::ofstream&)>& body) {
  tables::writeWhole(path, [&](const fs::path& temporary) {
    std::ofstream out(temporary, std::ios::binary);
    body(out);
    out.close();
    if (!out) {
      throw std::runtime_error(path.string() + ": cannot write the report's viewer");
    }
  });
  folder.wrote(path);
}

// The page loads this script decoded as x-user-defined, so every byte stands for itself but
// the four that a JavaScript string cannot hold as they are.
std::string volumeScript(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::string script = "vantrelViewer.volume(" + nlohmann::json(name).dump() + ",\"";
  script.reserve(script.size() + bytes.size() + bytes.size() / 32 + 4);
  for (const std::uint8_t byte : bytes) {
    switch (byte) {
      case '\\':
        script += "\\\\";
        break;
      case '"':
        script += "\\\"";
        break;
      case '\n':
        script += "\\n";
        break;
      case '\r':
        script += "\\r";
        break;
      default:
        script += static_cast<char>(byte);
    }
  }
  return script + "\");\n";
}

// A volume of label values names its labels by value; a summary labelling written for the
// viewer holds compact indices, and names them by index.
nlohmann::json atlasJson(const atlas::LabelAtlas& atlas, const std::string& volume, bool byIndex) {
  nlohmann::json labels = nlohmann::json::object();
  for (std::size_t index = 1; index <= atlas.provenance().labels; ++index) {
    const atlas::AtlasLabel& label = atlas.label(static_cast<std::uint16_t>(index));
    labels[std::to_string(byIndex ? static_cast<std::int64_t>(index) : label.value)] = label.name;
  }
  return {{"key", std::string(atlas.description().key)},
          {"volume", volume},
          {"voxelToWorld", nlohmann::json(atlas.grid().voxelToWorld())},
          {"worldToVoxel", nlohmann::json(atlas.grid().worldToVoxel())},
          {"labels", labels}};
}

imaging::Volume<float> summaryOf(const atlas::LabelAtlas& atlas) {
  const std::span<const std::uint16_t> indices = atlas.indices();
  return imaging::Volume<float>(atlas.grid(), std::vector<float>(indices.begin(), indices.end()));
}

float largestMagnitude(const std::vector<float>& values) {
  float largest = 0;
  for (const float value : values) {
    largest = std::max(largest, std::abs(value));
  }
  return largest;
}

class ViewerWriter {
 public:
  explicit ViewerWriter(tables::OutputFolder& folder)
      : folder_(folder), dir_(folder.dir() / kFolder) {}

  void makeFolder() {
    std::error_code error;
    if (fs::create_directory(dir_, error)) {
      folder_.wrote(dir_);
    } else if (error || !fs::is_directory(dir_)) {
      throw std::runtime_error(dir_.string() + ": cannot create the viewer's folder");
    }
  }

  void copy(const fs::path& from) {
    const fs::path to = dir_ / from.filename();
    writeFile(folder_, to, [&](std::ofstream& out) {
      std::ifstream in(from, std::ios::binary);
      if (!(out << in.rdbuf())) {
        throw std::runtime_error(from.string() + ": cannot be copied into the report");
      }
    });
  }

  // Writes a volume as a script and lists it for the page, under the name the viewer knows.
  void volume(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string file = name + ".js";
    writeFile(folder_, dir_ / file, [&](std::ofstream& out) { out << volumeScript(name, bytes); });
    scripts_ += "<script defer src=\"" + escapeHref(std::string(kFolder) + "/" + file) +
                "\" charset=\"x-user-defined\"></script>\n";
  }

  void data(const nlohmann::json& config) {
    const std::string text = "vantrelViewer.configure(" +
                             config.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) +
                             ");\n";
    writeFile(folder_, dir_ / "data.js", [&](std::ofstream& out) { out << text; });
  }

  const std::string& volumeScripts() const { return scripts_; }

 private:
  tables::OutputFolder& folder_;
  fs::path dir_;
  std::string scripts_;
};

// The folder holding NiiVue and the viewer's own files, as viewerSection finds it.
std::optional<fs::path> viewerFiles() {
  std::vector<fs::path> candidates;
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    candidates.push_back(program.parent_path().parent_path() / "share" / "vantrel");
  }
  candidates.emplace_back(VANTREL_SHARE_DIR);
  const auto complete = [](const fs::path& dir) {
    return std::all_of(kSharedFiles.begin(), kSharedFiles.end(), [&](const char* file) {
      std::error_code ignored;
      return fs::is_regular_file(dir / file, ignored);
    });
  };
  const auto found = std::find_if(candidates.begin(), candidates.end(), complete);
  return found == candidates.end() ? std::nullopt : std::optional<fs::path>(*found);
}

}  // namespace

std::optional<Section> viewerSection(tables::OutputFolder& folder, const ViewerScene& scene) {
  const std::optional<fs::path> files = viewerFiles();
  if (!files) {
    return std::nullopt;
  }
  ViewerWriter writer(folder);
  writer.makeFolder();
  for (const char* file : kSharedFiles) {
    writer.copy(*files / file);
  }
  const std::string background = scene.background.filename().string();
  writer.volume(background, readVolume(scene.background));
  nlohmann::json config = {{"background", background},
                           {"atlases", nlohmann::json::array()},
                           {"overlay", nullptr},
                           {"points", scene.points}};
  for (const atlas::LabelAtlas& atlas : scene.atlases) {
    const atlas::AtlasDescription& description = atlas.description();
    if (atlas.probabilities() != nullptr) {
      // The viewer shows the summary labelling; the probabilities stay in the tables.
      const std::string name = description.key + "_summary.nii.gz";
      writer.volume(name, gzippedNifti(summaryOf(atlas)));
      config["atlases"].push_back(atlasJson(atlas, name, true));
      continue;
    }
    const fs::path path = atlas.provenance().path;
    // Files given by the user may share a name; the catalogue's never do.
    const std::string name = description.form == atlas::AtlasForm::kDebian
                                 ? path.filename().string()
                                 : description.key + "_" + path.filename().string();
    writer.volume(name, readVolume(path));
    config["atlases"].push_back(atlasJson(atlas, name, false));
  }
  if (scene.clusters) {
    writer.volume(kClustersVolume, gzippedNifti(*scene.clusters));
    config["overlay"] = {{"volume", kClustersVolume},
                         {"threshold", scene.threshold},
                         {"max", largestMagnitude(scene.clusters->values())}};
  }
  writer.data(config);
  std::string html = fillTemplate(kViewerHtml, {{"volumes", writer.volumeScripts()}});
  if (std::any_of(scene.atlases.begin(), scene.atlases.end(),
                  [](const atlas::LabelAtlas& a) { return a.probabilities() != nullptr; })) {
    html +=
        "<p>A probabilistic atlas shows its summary labelling here, the most probable "
        "region at each voxel; its probabilities are in the tables, not in the viewer.</p>\n";
  }
  return Section{"viewer", "Viewer", std::move(html)};
}

}  // namespace report
