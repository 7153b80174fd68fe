// Tests of the words derived from atlas label names.
#include "orvod/vocabulary.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvod {
namespace {

TEST(Vocabulary, GroupsEveryKindOfTract) {
  struct Case {
    const char* tract;
    const char* group;
    bool brainstem;
  };
  const Case cases[] = {
      {"Middle_cerebellar_peduncle", "Cerebellar Peduncle", true},
      {"Inferior_cerebellar_peduncle_R", "Cerebellar Peduncle", true},
      {"Pontine_crossing_tract_(a_part_of_MCP)", "Pontine Crossing Tract", true},
      {"Genu_of_corpus_callosum", "Corpus Callosum", false},
      {"Fornix_(column_and_body_of_fornix)", "Fornix", false},
      {"Fornix_(cres)_/_Stria_terminalis_(can_not_be_resolved_with_current_resolution)_L", "Fornix",
       false},
      {"Corticospinal_tract_R", "Corticospinal Tract", true},
      {"Medial_lemniscus_L", "Medial Lemniscus", true},
      {"Cerebral_peduncle_R", "Cerebral Peduncle", true},
      {"Superior_fronto-occipital_fasciculus_(could_be_a_part_of_anterior_internal_capsule)_R",
       "Superior Fronto-occipital Fasciculus", false},
      {"Anterior_limb_of_internal_capsule_R", "Internal Capsule", false},
      {"Retrolenticular_part_of_internal_capsule_L", "Internal Capsule", false},
      {"Superior_corona_radiata_L", "Corona Radiata", false},
      {"Posterior_thalamic_radiation_(include_optic_radiation)_R", "Posterior Thalamic Radiation",
       false},
      {"Sagittal_stratum_(include_inferior_longitidinal_fasciculus_and_inferior_fronto-occipital_"
       "fasciculus)_L",
       "Sagittal Stratum", false},
      {"External_capsule_R", "External Capsule", false},
      {"Cingulum_(hippocampus)_R", "Cingulum", false},
      {"Superior_longitudinal_fasciculus_L", "Superior Longitudinal Fasciculus", false},
      {"Uncinate_fasciculus_R", "Uncinate Fasciculus", false},
      {"Tapetum_L", "Tapetum", false},
      {"Unclassified", "None", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tractGroup(c.tract), c.group) << c.tract;
    EXPECT_EQ(isBrainstemGroup(tractGroup(c.tract)), c.brainstem) << c.tract;
  }
}

TEST(Vocabulary, NamesGreyMatterLobesAndRegions) {
  struct Case {
    const char* name;
    const char* code;
    const char* lobe;
    const char* region;
    bool cerebellar;
  };
  const Case cases[] = {
      {"Precentral_L", "2001", "Frontal Lobe", "Precentral", false},
      {"Frontal_Sup_Orb_R", "2112", "Frontal Lobe", "Frontal Sup Orb", false},
      {"Insula_L", "3001", "Insular Lobe", "Insula", false},
      {"Cingulum_Mid_R", "4012", "Limbic Lobe", "Cingulum Mid", false},
      {"Calcarine_L", "5001", "Occipital Lobe", "Calcarine", false},
      {"Postcentral_L", "6001", "Parietal Lobe", "Postcentral", false},
      {"Caudate_R", "7002", "Sub-lobar", "Caudate", false},
      {"Heschl_L", "8101", "Temporal Lobe", "Heschl", false},
      {"Cerebelum_Crus1_R", "9002", "Posterior Lobe", "Cerebelum Crus1", true},
      {"Cerebelum_4_5_L", "9031", "Anterior Lobe", "Cerebelum 4 5", true},
      {"Cerebelum_10_R", "9082", "Flocculonodular Lobe", "Cerebelum 10", true},
      {"Vermis_1_2", "9100", "Anterior Lobe", "Vermis 1 2", true},
      {"Vermis_3", "9110", "Anterior Lobe", "Vermis 3", true},
      {"Vermis_7", "9140", "Posterior Lobe", "Vermis 7", true},
      {"Vermis_10", "9170", "Flocculonodular Lobe", "Vermis 10", true},
      {"Mystery_L", "1001", "None", "Mystery", false},
      {"Uncoded", "", "None", "Uncoded", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(greyLobe(c.name, c.code), c.lobe) << c.name;
    EXPECT_EQ(greyRegion(c.name), c.region) << c.name;
    EXPECT_EQ(isCerebellarCode(c.code), c.cerebellar) << c.name;
  }
}

TEST(Vocabulary, SplitsParcelNamesIntoKindAndStructure) {
  struct Case {
    const char* parcel;
    const char* kind;
    const char* structure;
  };
  const Case cases[] = {
      {"N_Caudate-5", "Nucleus", "Caudate"},
      {"S_Rolando-2", "Sulcus", "Rolando"},
      {"G_Frontal_Sup-1", "Gyrus", "Frontal Sup"},
      {"G_Insula-anterior-1", "Gyrus", "Insula-anterior"},
      {"G_Insula-anterior", "Gyrus", "Insula-anterior"},
      {"X_Odd-3", "None", "X Odd"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parcelKind(c.parcel), c.kind) << c.parcel;
    EXPECT_EQ(parcelStructure(c.parcel), c.structure) << c.parcel;
  }
}

TEST(Vocabulary, TakesTheSideFromTheSuffixElseFromTheSignOfX) {
  EXPECT_EQ(sideFromSuffix("Caudate_L"), Side::Left);
  EXPECT_EQ(sideFromSuffix("Caudate_R"), Side::Right);
  EXPECT_EQ(sideFromSuffix("Vermis_6"), std::nullopt);
  EXPECT_EQ(sideFromSuffix("Middle_cerebellar_peduncle"), std::nullopt);
  EXPECT_EQ(sideOfX(-1), Side::Left);
  EXPECT_EQ(sideOfX(0), Side::Midline);
  EXPECT_EQ(sideOfX(3), Side::Right);
  EXPECT_EQ(sideName(Side::Midline), "Midline");
}

}  // namespace
}  // namespace orvod
