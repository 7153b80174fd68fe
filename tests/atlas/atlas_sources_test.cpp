#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

#include "atlas/atlas_files.hpp"
#include "atlas/fsl_atlas.hpp"
#include "atlas/label_tables.hpp"

namespace atlas {
namespace {

std::string fslXml(const std::string& header, const std::string& data) {
  return "<?xml version=\"1.0\"?>\n<atlas version=\"1.0\"><header>" + header +
         "</header><data>" + data + "</data></atlas>\n";
}

const std::string kLabelHeader =
    "<name>Test Atlas</name><shortname>TA</shortname><type>Label</type>"
    "<images><imagefile>/t/ta-2mm</imagefile></images>"
    "<images><imagefile>/t/ta-1mm</imagefile><summaryimagefile>s1</summaryimagefile></images>";

TEST(FslAtlas, ReadsTheHeaderEveryResolutionAndTheRegionsInOrder) {
  const FslAtlasDescription atlas = parseFslAtlas(
      fslXml(kLabelHeader, "<label index=\"7\" x=\"1\" y=\"2\" z=\"3\">Precentral Gyrus</label>"
                           "<label index=\"0\">  Frontal &amp; Pole </label>"),
      "a.xml");
  EXPECT_EQ(atlas.shortName, "TA");
  EXPECT_EQ(atlas.type, AtlasType::kLabel);
  ASSERT_EQ(atlas.resolutions.size(), 2U);
  EXPECT_EQ(atlas.resolutions[1].image, "/t/ta-1mm");
  EXPECT_EQ(atlas.resolutions[1].summary, "s1");
  ASSERT_EQ(atlas.regions.size(), 2U);
  EXPECT_EQ(atlas.regions[0].index, 7);
  EXPECT_EQ(atlas.regions[1].name, "Frontal & Pole");
  EXPECT_EQ(parseFslAtlas(fslXml("<type>Probabilistic</type><images><imagefile>p</imagefile>"
                                 "</images>", ""), "p.xml").type,
            AtlasType::kProbabilistic);
}

TEST(FslAtlas, RefusesABrokenOrHostileFileWithOneLineSayingWhy) {
  const std::string images = "<images><imagefile>i</imagefile></images>";
  const std::string label = "<type>Label</type>" + images;
  struct Case {
    std::string xml, expected;
  } cases[] = {
      {fslXml(label, "<label index=\"1\">A</label"), "not well-formed"},
      {"<?xml version=\"1.0\"?><!DOCTYPE atlas [<!ENTITY a \"aaaa\">]><atlas/>", "document type"},
      {fslXml("<type>Label</type>", ""), "no <images>"},
      {fslXml("<type>Label</type><images></images>", ""), "no <imagefile>"},
      {fslXml(images, ""), "no <type>"},
      {fslXml("<type>Statistic</type>" + images, ""), "neither Label nor Probabilistic"},
      {fslXml(label, "<label index=\"1.5\">A</label>"), "'1.5' is not a whole number"},
      {fslXml(label, "<label x=\"1\">A</label>"), "has no index"},
      {fslXml(label, "<label index=\"3\">A</label><label index=\"3\">B</label>"), "given twice"},
      {fslXml(label, "<label index=\"3\">" + std::string(1001, 'n') + "</label>"),
       "longer than 1000"},
  };
  for (const Case& c : cases) {
    try {
      parseFslAtlas(c.xml, "bad.xml");
      ADD_FAILURE() << "accepted: " << c.xml.substr(0, 120);
    } catch (const std::runtime_error& e) {
      const std::string error = e.what();
      EXPECT_TRUE(error.starts_with("bad.xml") && error.find(c.expected) != std::string::npos)
          << error;
    }
  }
}

TEST(LabelTables, ReadTsvByItsHeaderAndTextTablesWithCommentsAndColours) {
  const auto tsv = parseLabelTsv("name\tcolor\tindex\nLeft V1\t#ff0000\t1\n\nRight V1\t#00f\t2\n",
                                 "t.tsv");
  ASSERT_TRUE(tsv);
  ASSERT_EQ(tsv->size(), 2U);
  EXPECT_EQ((*tsv)[1].index, 2);
  EXPECT_EQ((*tsv)[1].name, "Right V1");
  EXPECT_FALSE(parseLabelTsv("cluster\tvoxels\n1\t20\n", "c.tsv"));

  const auto lut = parseLabelText("# colour table\n  0  Unknown 0 0 0 0\n17 Left-Hippocampus "
                                  "220 216 20 0\r\n\t53\tRight-Hippocampus\n",
                                  "FreeSurferColorLUT.txt");
  ASSERT_TRUE(lut);
  ASSERT_EQ(lut->size(), 3U);
  EXPECT_EQ((*lut)[1].name, "Left-Hippocampus");
  EXPECT_EQ(namesOf(*lut).size(), 2U);  // 0 is the background, never a name
  EXPECT_FALSE(parseLabelText(std::string("\xff\xcc\x00\x3d", 4), "aal.nii.lut"));

  EXPECT_FALSE(parseLabelTsv("index\n", "t.tsv"));
  for (const std::string bad : {"index\tname\nx\tA\n", "index\tname\n1\tA\n1\tB\n"}) {
    EXPECT_THROW(parseLabelTsv(bad, "t.tsv"), std::runtime_error) << bad;
  }
  EXPECT_THROW(parseLabelText("5\n", "t.txt"), std::runtime_error);
}

TEST(AtlasFiles, NameKeysAndTablesAsTemplateFlowAndTheOptionsDo) {
  const auto name = parseBidsName(
      "tpl-MNI152NLin2009cAsym_res-01_den-2_atlas-Schaefer2018_desc-100Parcels7Networks_dseg.nii.gz");
  ASSERT_TRUE(name);
  EXPECT_TRUE(isTemplateFlowAtlas(*name));
  EXPECT_EQ(name->entity("tpl"), "MNI152NLin2009cAsym");
  EXPECT_EQ(templateFlowKey(*name), "schaefer2018-100parcels7networks");
  EXPECT_EQ(templateFlowTable("/a/tpl-X/f.nii.gz", *name),
            "/a/tpl-X/tpl-MNI152NLin2009cAsym_atlas-Schaefer2018_desc-100Parcels7Networks_dseg.tsv");
  EXPECT_FALSE(isTemplateFlowAtlas(*parseBidsName("tpl-X_res-1_T1w.nii.gz")));
  EXPECT_FALSE(parseBidsName("aal.nii.gz"));

  EXPECT_EQ(keyFrom("HOCPA"), "hocpa");
  EXPECT_EQ(keyFrom("__My Atlas+v2"), "my-atlas-v2");
  EXPECT_EQ(keyFrom("++"), "atlas");
  EXPECT_EQ(baseNameOf("/x/lab.parcels.nii.gz"), "lab.parcels");

  EXPECT_EQ(parseAtlasFileArgument("ho=/a/b.xml").key, "ho");
  EXPECT_EQ(parseAtlasFileArgument("/a/x=y.nii").path, "/a/x=y.nii");
  EXPECT_EQ(parseAtlasFileArgument("Bad Key=p").key, "");
  EXPECT_EQ(atlasSearchFolders("/a::/b", "/fsl"),
            (std::vector<std::string>{"/a", "/b", "/fsl/data/atlases"}));
  EXPECT_EQ(atlasSearchFolders(nullptr, ""), std::vector<std::string>{});
}

TEST(AtlasFiles, FindsFslDescriptionsAndTemplateFlowImagesOneFolderDown) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("atlas-files-" + std::to_string(getpid()));
  fs::create_directories(root / "tpl-X" / "deeper");
  const auto at = [&](const char* file) { return (root / file).string(); };
  const char* const tplA = "tpl-X/tpl-X_atlas-A_dseg.nii.gz";
  for (const char* file : {"b.xml", "a.xml", "notes.txt", tplA, "tpl-X/tpl-X_atlas-A_dseg.tsv",
                           "tpl-X/deeper/tpl-X_atlas-B_dseg.nii.gz"}) {
    std::ofstream(at(file)) << "x";
  }
  EXPECT_EQ(findAtlasFiles({root.string(), at("missing")}),
            (std::vector<std::string>{at("a.xml"), at("b.xml"), at(tplA)}));
  fs::remove_all(root);
}

}  // namespace
}  // namespace atlas
