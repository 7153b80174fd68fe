// Tests of the <Code> and <:Cubesize> prefix reader for parameter strings.
#include <gtest/gtest.h>

#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(VerifyParameters, ReadsThePrefixAndCopiesTheRemainderToken) {
  struct Case {
    const char* params;
    std::int32_t code, cubesize;
    const char* remainder;
  };
  const Case cases[] = {
      {"2,data", 2, -1, "data"},   {"3:7,data", 3, 7, "data"}, {"2, my file", 2, -1, "myfile"},
      {"2,a,b", 2, -1, "a"},       {"2,,a", 2, -1, "a"},       {"3:5,x:y", 3, 5, "x:y"},
      {"3x,data", 3, -1, "data"},  // values are read without a syntax test
      {"3:5x,data", 3, 5, "data"}, {"+2,data", 2, -1, "data"}, {"2,\tdata\t", 2, -1, "\tdata\t"},
  };
  for (const Case& c : cases) {
    std::int32_t code = 0;
    std::int32_t cubesize = -1;
    TextBuffer remainder;
    remainder.fill('x');
    verifyParameters(c.params, code, cubesize, remainder, kUsageLines);
    EXPECT_EQ(code, c.code) << c.params;
    EXPECT_EQ(cubesize, c.cubesize) << c.params;
    EXPECT_STREQ(remainder.data(), c.remainder) << c.params;
    EXPECT_EQ(remainder.back(), '\0') << "zero-filled in full";
  }
}

void verifyAndDiscard(const char* params) {
  std::int32_t code = 0;
  std::int32_t cubesize = 5;
  TextBuffer remainder;
  verifyParameters(params, code, cubesize, remainder, kUsageLines);
}

TEST(VerifyParametersDeathTest, ReportsTheFirstFailingStep) {
  struct Case {
    std::string params;
    std::string message;  // a regular expression for standard error
  };
  const Case cases[] = {
      {"2", "ERROR: syntax error for parameters: 2"},
      {"3:5", "ERROR: syntax error for parameters: 3:5"},
      {"2,,,", "ERROR: syntax error for parameters: 2,,,"},
      {"", "ERROR: syntax error for <Code> parameter: "},
      {"x,data", "ERROR: <Code> can only be 1, 2, or 3: x,data"},
      {"99999999999,data", "ERROR: <Code> can only be 1, 2, or 3: 99999999999,data"},
      {"2:5,data", "ERROR: <:Cubesize> can only be used with <Code>=3: 2:5,data"},
      {"3:4,data", "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: 3:4,data"},
      {"3:4294967299,data", "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: 3:4294967299,data"},
      {"3:", "ERROR: syntax error for <:Cubesize> parameter: 3:"},
      {":", "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: :"},
      {"1,x:y", "ERROR: <:Cubesize> can only be used with <Code>=3: 1,x:y"},
      {"3 : 4 , data", "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: 3:4,data"},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(verifyAndDiscard(c.params.c_str()), ::testing::ExitedWithCode(1),
                "^" + c.message + "\n\n$")
        << c.params;
  }
}

TEST(VerifyParametersDeathTest, RejectsAParameterStringLongerThanATextBuffer) {
  const std::string params = "2," + std::string(kTextBufferSize, 'a');
  EXPECT_EXIT(verifyAndDiscard(params.c_str()), ::testing::ExitedWithCode(1),
              "^ERROR: parameter string longer than 8191 characters.\n\n$");
}

}  // namespace
}  // namespace vantrel
