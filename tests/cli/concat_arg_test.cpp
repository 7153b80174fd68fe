// Tests of argument joining at the buffer limit and of the query text sent.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cli/arguments.hpp"
#include "vantrel.hpp"

namespace vantrel {
namespace {

std::vector<const char*> argvOf(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"Vantrel"};
  for (const std::string& arg : args) {
    argv.push_back(arg.c_str());
  }
  argv.push_back(nullptr);
  return argv;
}

TEST(ConcatArg, StopsAtTheBufferAndKnowsWhenArgumentsDoNotFit) {
  const std::string half(kMaxTextLength / 2, '1');
  const std::vector<std::string> fitting{half, half, "1"};
  const std::vector<std::string> tooLong{half, half, "12"};
  const std::vector<const char*> fitArgv = argvOf(fitting);
  const std::vector<const char*> longArgv = argvOf(tooLong);

  EXPECT_TRUE(argumentsFitParameterString(4, fitArgv.data()));
  EXPECT_FALSE(argumentsFitParameterString(4, longArgv.data()));

  TextBuffer out;
  concatArg(4, longArgv.data(), out);
  EXPECT_EQ(std::strlen(out.data()), kMaxTextLength);
}

TEST(ComposeQueryText, UsesTheColonFormForCode3Only) {
  struct Case {
    std::int32_t code, cubesize, x, y, z;
    const char* text;
  };
  const Case cases[] = {
      {2, 5, 6, 7, 8, "2,6,7,8"},
      {1, 3, -6, 0, 8, "1,-6,0,8"},
      {3, 5, 5, 6, 7, "3:5,5,6,7"},
      {3, 11, -2147483647 - 1, 2147483647, 0, "3:11,-2147483648,2147483647,0"},
  };
  for (const Case& c : cases) {
    TextBuffer query;
    query.fill('x');
    composeQueryText(c.code, c.cubesize, c.x, c.y, c.z, query);
    EXPECT_STREQ(query.data(), c.text);
    EXPECT_EQ(query[std::strlen(c.text) + 1], '\0') << "zero-filled after the text";
  }
}

}  // namespace
}  // namespace vantrel
