// Tests of the words derived from atlas label names where a rule could pick the wrong one.
#include "orvod/vocabulary.hpp"

#include <gtest/gtest.h>

namespace orvod {
namespace {

TEST(Vocabulary, GroupsTractsAndTellsWhichLieInTheBrainstem) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"Middle_cerebellar_peduncle", "Cerebellar Peduncle", true},
      {"Pontine_crossing_tract_(a_part_of_MCP)", "Pontine Crossing Tract", true},
      {"Genu_of_corpus_callosum", "Corpus Callosum", false},
      // Names the internal capsule, but is a fasciculus of its own.
      {"Superior_fronto-occipital_fasciculus_(could_be_a_part_of_anterior_internal_capsule)_R",
       "Superior Fronto-occipital Fasciculus", false},
      {"Retrolenticular_part_of_internal_capsule_L", "Internal Capsule", false},
      {"Unclassified", "None", false},
  };
  for (const auto& [tract, group, brainstem] : cases) {
    EXPECT_EQ(tractGroup(tract), group) << tract;
    EXPECT_EQ(isBrainstemGroup(tractGroup(tract)), brainstem) << tract;
  }
}

TEST(Vocabulary, NamesGreyMatterLobesFromTheCodeAndCerebellarLobesFromTheLobule) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"Frontal_Sup_Orb_R", "2112", "Frontal Lobe", "Frontal Sup Orb"},
      {"Cerebelum_Crus1_R", "9002", "Posterior Lobe", "Cerebelum Crus1"},
      {"Cerebelum_4_5_L", "9031", "Anterior Lobe", "Cerebelum 4 5"},
      {"Vermis_1_2", "9100", "Anterior Lobe", "Vermis 1 2"},
      {"Vermis_10", "9170", "Flocculonodular Lobe", "Vermis 10"},
      {"Mystery_L", "1001", "None", "Mystery"},
      {"Uncoded", "", "None", "Uncoded"},
  };
  for (const auto& [name, code, lobe, region] : cases) {
    EXPECT_EQ(greyLobe(name, code), lobe) << name;
    EXPECT_EQ(greyRegion(name), region) << name;
    EXPECT_EQ(isCerebellarCode(code), std::string_view(code).starts_with("9")) << name;
  }
}

TEST(Vocabulary, SplitsParcelNames) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"N_Caudate-5", "Nucleus", "Caudate"},
      {"G_Insula-anterior-1", "Gyrus", "Insula-anterior"},
      {"X_Odd", "None", "X Odd"},
  };
  for (const auto& [parcel, kind, structure] : cases) {
    EXPECT_EQ(parcelKind(parcel), kind) << parcel;
    EXPECT_EQ(parcelStructure(parcel), structure) << parcel;
  }
}

}  // namespace
}  // namespace orvod
