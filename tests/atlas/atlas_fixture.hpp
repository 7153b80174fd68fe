// Test support: the real atlases, loaded once per test program, or a skip when they are absent.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace atlas::fixture {

inline bool atlasesInstalled() {
  return std::filesystem::exists(std::filesystem::path(ATLAS_TEST_DATA_DIR) / "aal.nii.gz");
}

#define ATLAS_SKIP_WITHOUT_DATA()                                                           \
  if (!::atlas::fixture::atlasesInstalled()) {                                                 \
    GTEST_SKIP() << ATLAS_TEST_DATA_DIR << " is missing; scripts/setup installs mricron-data"; \
  }

// The Debian aal's "value name code" lines as an FSL atlas (aal.xml) and as a TemplateFlow dseg
// (tpl-MNIColin27_res-1_atlas-AAL_dseg), both beside links to its image in `dir`.
inline void writeAalForms(const std::filesystem::path& dir) {
  const std::filesystem::path data(ATLAS_TEST_DATA_DIR);
  std::ifstream table(data / "aal.nii.txt");
  std::string xml =
      "<atlas><header><shortname>aalfsl</shortname><type>Label</type><images>"
      "<imagefile>/aal</imagefile></images></header><data>";
  std::string tsv = "index\tname\n";
  std::int64_t value = 0;
  std::string name, code;
  while (table >> value >> name >> code) {
    xml += "<label index=\"" + std::to_string(value) + "\">" + name + "</label>";
    tsv += std::to_string(value) + "\t" + name + "\n";
  }
  std::ofstream(dir / "aal.xml") << xml << "</data></atlas>\n";
  std::ofstream(dir / "tpl-MNIColin27_atlas-AAL_dseg.tsv") << tsv;
  std::filesystem::create_symlink(data / "aal.nii.gz", dir / "aal.nii.gz");
  std::filesystem::create_symlink(data / "aal.nii.gz", dir / "tpl-MNIColin27_res-1_atlas-AAL_dseg.nii.gz");
}

}  // namespace atlas::fixture
