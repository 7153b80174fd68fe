// Tests of the parameter string grammar: accepted strings in process, rejected
// ones through the Vantrel binary, since every error ends the process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/expected_output.hpp"
#include "kit/process.hpp"
#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(VerifyCommandline, AcceptsBothFormsAndIgnoresWhatFollowsZ) {
  struct Case {
    const char* params;
    std::int32_t code, cubesize, x, y, z;
  };
  const Case cases[] = {
      {"2,6,7,8", 2, 5, 6, 7, 8},
      {"3,6,7,8", 3, 5, 6, 7, 8},
      {"3:3,5,6,7", 3, 3, 5, 6, 7},
      {"3 : 11 , 5 , 6 , 7", 3, 11, 5, 6, 7},
      {"2,,6,,7,,8", 2, 5, 6, 7, 8},
      {",,1,6,7,8", 1, 5, 6, 7, 8},
      {"2,6,7,8,\tjunk", 2, 5, 6, 7, 8},
      {"2,+,7,8", 2, 5, 0, 7, 8},
      {"2,+6,007,-0", 2, 5, 6, 7, 0},
      {"1,-2147483648,2147483647,0", 1, 5, -2147483647 - 1, 2147483647, 0},
      {"1,0,00000000000000000000002147483647,0", 1, 5, 0, 2147483647, 0},
  };
  for (const Case& c : cases) {
    std::int32_t code = 0, cubesize = 5, x = -1, y = -1, z = -1;
    verifyCommandline(c.params, code, cubesize, x, y, z, kUsageLines);
    EXPECT_EQ(code, c.code) << c.params;
    EXPECT_EQ(cubesize, c.cubesize) << c.params;
    EXPECT_EQ(x, c.x) << c.params;
    EXPECT_EQ(y, c.y) << c.params;
    EXPECT_EQ(z, c.z) << c.params;
  }
}

TEST(VerifyCommandline, ReportsEachErrorWithTheBlankFreeTextAndTheUsage) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"2:3,6,7,8"}, "ERROR: <:Cubesize> can only be used with <Code>=3: 2:3,6,7,8"},
      {{"3:4,5,6,7"}, "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: 3:4,5,6,7"},
      {{"3:"}, "ERROR: syntax error for <:Cubesize> parameter: 3:"},
      {{":"}, "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: :"},
      {{"4,1,2,3"}, "ERROR: <Code> can only be 1, 2, or 3: 4,1,2,3"},
      {{"2", "6", "7", "8"}, "ERROR: <Code> can only be 1, 2, or 3: 2678"},
      {{"0,1,2,3"}, "ERROR: <Code> can only be 1, 2, or 3: 0,1,2,3"},
      {{""}, "ERROR: syntax error for <Code> parameter: "},
      {{"  "}, "ERROR: syntax error for <Code> parameter: "},
      {{",,,"}, "ERROR: syntax error for <Code> parameter: ,,,"},
      {{"2,6,7"}, "ERROR: syntax error for parameters: 2,6,7"},
      {{"2,", " 6 ,", "7"}, "ERROR: syntax error for parameters: 2,6,7"},
      {{"3:5,1,2"}, "ERROR: syntax error for parameters: 3:5,1,2"},
      {{"2,6,x,8"}, "ERROR: found non-integer value in command line: 2,6,x,8"},
      {{"2,6.5,7,8"}, "ERROR: found non-integer value in command line: 2,6.5,7,8"},
      {{"1,2,3,4:5"}, "ERROR: found non-integer value in command line: 1,2,3,4:5"},
      {{"3::5,1,2,3"}, "ERROR: found non-integer value in command line: 3::5,1,2,3"},
      {{"x:5,1,2,3"}, "ERROR: found non-integer value in command line: x:5,1,2,3"},
      {{"2,6,7,8\t"}, "ERROR: found non-integer value in command line: 2,6,7,8\t"},
      {{"2,2147483648,7,8"}, "ERROR: found non-integer value in command line: 2,2147483648,7,8"},
      {{"2,1,-2147483649,8"}, "ERROR: found non-integer value in command line: 2,1,-2147483649,8"},
      {{"4294967299,1,2,3"}, "ERROR: found non-integer value in command line: 4294967299,1,2,3"},
      {{"3:4294967299,1,2,3"},
       "ERROR: found non-integer value in command line: 3:4294967299,1,2,3"},
  };
  for (const Case& c : cases) {
    const kit::ProcessResult run = kit::runProcess(VANTREL_BINARY, c.args);
    EXPECT_EQ(run.exitStatus, 1) << c.message;
    EXPECT_EQ(run.err, c.message + "\n\n");
    EXPECT_EQ(run.out, expected::kUsageText) << c.message;
  }
}

}  // namespace
}  // namespace vantrel
