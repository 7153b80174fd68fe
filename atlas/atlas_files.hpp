// Atlases on disk: what form a file is in, the key it answers to, the TemplateFlow and BIDS
// file-name rules, and the folders searched for atlases.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace atlas {

enum class AtlasForm { kDebian, kFsl, kTemplateFlow, kTable };

// "debian", "fsl", "templateflow" or "table", as outputs name the form.
std::string_view formName(AtlasForm form);

// The entities of a BIDS-style file name such as
// tpl-MNI152NLin2009cAsym_res-01_atlas-Schaefer2018_desc-100Parcels7Networks_dseg.nii.gz.
struct BidsName {
  std::vector<std::pair<std::string, std::string>> entities;  // in the name's order
  std::string suffix;                                         // "dseg", "probseg", ...
  std::string extension;                                      // ".nii.gz", ".nii", ".tsv"

  // The value of an entity, or "" when the name has none.
  std::string entity(std::string_view key) const;
};

// The parts of a file name (no folder) in BIDS form, or nothing when it is not in that form.
std::optional<BidsName> parseBidsName(std::string_view fileName);

// Whether a BIDS name is a TemplateFlow atlas image: a dseg or probseg NIfTI with an atlas-.
bool isTemplateFlowAtlas(const BidsName& name);

// The TSV that names the regions of a TemplateFlow atlas image: the same name without its res-
// and den- entities, with .tsv for the image's extension, in the image's folder.
std::string templateFlowTable(const std::string& imagePath, const BidsName& name);

// A key as --atlas takes it: lower case, [a-z0-9][a-z0-9_.-]*; any other character becomes '-',
// and characters before the first letter or digit are dropped. "atlas" when nothing is left.
std::string keyFrom(std::string_view text);

// The key of a TemplateFlow image: its atlas- value, then '-' and its desc- value if any.
std::string templateFlowKey(const BidsName& name);

// The file's name without its folder and without .nii.gz, .nii or .xml.
std::string baseNameOf(const std::string& path);

// An --atlas-file argument, KEY=PATH or PATH. The text before the first '=' is a key only when
// it is a valid key, so a path holding '=' still works.
struct AtlasFileArgument {
  std::string key;  // empty: derive it from the file
  std::string path;
};
AtlasFileArgument parseAtlasFileArgument(std::string_view argument);

// The folders searched for atlases: those of `atlasPath` (colon-separated, empty entries
// skipped), then `fslDir`/data/atlases when fslDir is set.
std::vector<std::string> atlasSearchFolders(const char* atlasPath, const char* fslDir);

// The candidate atlas files of the folders, in folder order, each folder's files sorted by
// name: FSL .xml files in the folder, and TemplateFlow dseg/probseg images in it and in its
// subfolders one level down. A folder that cannot be read is skipped.
std::vector<std::string> findAtlasFiles(const std::vector<std::string>& folders);

}  // namespace atlas
