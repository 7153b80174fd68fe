// Tests of the answer table compiled into the cache: a daemon started from the compiled table,
// and from one rebuilt after a fault, answers every question as one that built its own.
#include "orvod/compiled_table.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "orvod/answer.hpp"
#include "testkit/temp_dir.hpp"
#include "tests/orvod/labeller_fixture.hpp"

namespace orvod {
namespace {

using CompiledTable = fixture::LabellerTest;

// Codes 1, 2 and 3 over a coarse lattice of Talairach points across the brain and beyond it.
std::vector<std::string> answersOf(const Labeller& labeller) {
  std::vector<std::string> answers;
  for (int z = -60; z <= 90; z += 15) {
    for (int y = -110; y <= 80; y += 19) {
      for (int x = -75; x <= 75; x += 15) {
        const std::string point =
            std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z);
        for (const char* code : {"1,", "2,", "3:5,"}) {
          answers.push_back(answerBlock(labeller, code + point));
        }
      }
    }
  }
  return answers;
}

TEST_F(CompiledTable, AnswersAsTheTableBuiltInMemoryDoes) {
  const vantrel::kit::TempDir dir("vantrel-orvod-cache");
  std::vector<std::string> warnings;
  const cache::Store store(
      {true, dir.path(), std::nullopt, [&](const std::string& w) { warnings.push_back(w); }});
  const std::vector<std::string> expected = answersOf(labeller());
  EXPECT_EQ(answersOf(loadLabeller(ATLAS_TEST_DATA_DIR, store)), expected);  // compiles
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.is_regular_file()) {
      files.push_back(entry.path());
    }
  }
  ASSERT_EQ(files.size(), 1U);
  EXPECT_EQ(answersOf(loadLabeller(ATLAS_TEST_DATA_DIR, store)), expected);  // maps
  EXPECT_TRUE(warnings.empty());
  {
    std::fstream file(files[0], std::ios::in | std::ios::out | std::ios::binary);
    const auto middle = static_cast<std::streamoff>(std::filesystem::file_size(files[0]) / 2);
    file.seekg(middle);
    const auto byte = static_cast<char>(file.get() ^ 0x10);
    file.seekp(middle);
    file.put(byte);
  }
  EXPECT_EQ(answersOf(loadLabeller(ATLAS_TEST_DATA_DIR, store)), expected);  // compiles again
  EXPECT_EQ(warnings.size(), 1U);
}

}  // namespace
}  // namespace orvod
