// Tests of the parameter string: the arguments joined and stripped of blanks, the grammar as
// verifyCommandline and verifyParameters read it, and the error report.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "src/cli/arguments.hpp"
#include "src/vantrel.hpp"

namespace vantrel {
namespace {

// main refuses such a command line first; the join itself must still never overrun.
TEST(ConcatArg, StopsAtTheBuffer) {
  const std::string half(kMaxTextLength / 2, '1');
  const char* const argv[] = {"Vantrel", half.c_str(), half.c_str(), "12", nullptr};
  TextBuffer out;
  concatArg(4, argv, out);
  EXPECT_EQ(std::strlen(out.data()), kMaxTextLength);
}

// Blanks go wherever they stand; the copy keeps its terminator however long the input.
TEST(NULLSpace, DropsBlanksAndKeepsItsTerminator) {
  TextBuffer out;
  NULLSpace(" 2 , 6\t,7 ", out);
  EXPECT_STREQ(out.data(), "2,6\t,7");
  const std::string longText(2 * kTextBufferSize, 'a');
  NULLSpace(longText.c_str(), out);
  EXPECT_EQ(std::strlen(out.data()), kMaxTextLength);
  EXPECT_EQ(out.back(), '\0');
}

TEST(VerifyCommandline, AcceptsBothFormsAndIgnoresWhatFollowsZ) {
  using Read = std::array<std::int32_t, 5>;  // code, cube size, x, y, z
  const std::pair<const char*, Read> cases[] = {
      {"2,6,7,8", {2, 5, 6, 7, 8}},
      {"3:3,5,6,7", {3, 3, 5, 6, 7}},
      {"3 : 11 , 5 , 6 , 7", {3, 11, 5, 6, 7}},
      {"2,,6,,7,,8", {2, 5, 6, 7, 8}},
      {"2,6,7,8,\tjunk", {2, 5, 6, 7, 8}},
      {"2,+,7,8", {2, 5, 0, 7, 8}},
      {"2,+6,007,-0", {2, 5, 6, 7, 0}},
      {"1,-2147483648,2147483647,0", {1, 5, -2147483647 - 1, 2147483647, 0}},
      {"1,0,00000000000000000000002147483647,0", {1, 5, 0, 2147483647, 0}},
  };
  for (const auto& [params, expected] : cases) {
    Read read = {0, 5, -1, -1, -1};
    verifyCommandline(params, read[0], read[1], read[2], read[3], read[4], kUsageLines);
    EXPECT_EQ(read, expected) << params;
  }
}

// The values are read for their leading integer, without a syntax test.
TEST(VerifyParameters, ReadsThePrefixAndCopiesTheRemainderToken) {
  struct Case {
    const char* params;
    std::int32_t code, cubesize;
    const char* remainder;
  };
  const Case cases[] = {
      {"3:7,data", 3, 7, "data"},        {"2, my file", 2, -1, "myfile"}, {"2,a,b", 2, -1, "a"},
      {"3x,data", 3, -1, "data"},        {"3:5x,data", 3, 5, "data"},     {"3:5,x:y", 3, 5, "x:y"},
      {"2,\tdata\t", 2, -1, "\tdata\t"},
  };
  for (const Case& c : cases) {
    std::int32_t code = 0, cubesize = -1;
    TextBuffer remainder;
    remainder.fill('x');
    verifyParameters(c.params, code, cubesize, remainder, kUsageLines);
    EXPECT_EQ(std::pair(code, cubesize), std::pair(c.code, c.cubesize)) << c.params;
    std::string zeroFilled = c.remainder;  // and nothing after its terminator
    zeroFilled.resize(remainder.size(), '\0');
    EXPECT_EQ(std::string(remainder.data(), remainder.size()), zeroFilled) << c.params;
  }
}

void verifyCommandlineOf(const std::string& params) {
  std::int32_t code = 0, cubesize = 5, x = 0, y = 0, z = 0;
  verifyCommandline(params.c_str(), code, cubesize, x, y, z, kUsageLines);
}

void verifyParametersOf(const std::string& params) {
  std::int32_t code = 0, cubesize = 5;
  TextBuffer remainder;
  verifyParameters(params.c_str(), code, cubesize, remainder, kUsageLines);
}

// Each error names the first failing step and shows the blank-free text. The
// command line tests integer syntax; the record validators read values leniently
// and want only one token after the prefix, so where they accept, `parameters` is empty.
TEST(ParametersDeathTest, ReportTheFirstFailingStep) {
  const std::string cubesizeCode = "ERROR: <:Cubesize> can only be used with <Code>=3: ";
  const std::string cubesizeRange = "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: ";
  const std::string codeRange = "ERROR: <Code> can only be 1, 2, or 3: ";
  const std::string codeSyntax = "ERROR: syntax error for <Code> parameter: ";
  const std::string syntax = "ERROR: syntax error for parameters: ";
  const std::string nonInteger = "ERROR: found non-integer value in command line: ";
  struct Case {
    std::string params;
    std::string commandLine;
    std::string parameters;
    const char* shown = nullptr;  // the text the message shows, when blanks were dropped
  };
  const Case cases[] = {
      {"2:3,6,7,8", cubesizeCode, cubesizeCode},
      {"3:4,5,6,7", cubesizeRange, cubesizeRange},
      {"3 : 4 , data", cubesizeRange, cubesizeRange, "3:4,data"},
      {"3:", "ERROR: syntax error for <:Cubesize> parameter: ",
       "ERROR: syntax error for <:Cubesize> parameter: "},
      {":", cubesizeRange, cubesizeRange},
      {"4,1,2,3", codeRange, codeRange},
      {"", codeSyntax, codeSyntax},
      {"2", syntax, syntax},
      {"2,6,7", syntax, ""},
      {"2,6,x,8", nonInteger, ""},
      {"2,6,7,8\t", nonInteger, ""},
      {"2,2147483648,7,8", nonInteger, ""},
      {"1,2,3,4:5", nonInteger, cubesizeCode},
      {"3::5,1,2,3", nonInteger, cubesizeRange},
      {"x,data", nonInteger, codeRange},
      {"4294967299,1,2,3", nonInteger, codeRange},
  };
  for (const Case& c : cases) {
    const std::string blankFree = c.shown != nullptr ? c.shown : c.params;
    EXPECT_EXIT(verifyCommandlineOf(c.params), ::testing::ExitedWithCode(1),
                "^" + c.commandLine + blankFree + "\n\n$")
        << c.params;
    if (!c.parameters.empty()) {
      EXPECT_EXIT(verifyParametersOf(c.params), ::testing::ExitedWithCode(1),
                  "^" + c.parameters + blankFree + "\n\n$")
          << c.params;
    }
  }
}

TEST(ParametersDeathTest, RejectAParameterStringLongerThanATextBuffer) {
  const std::string params = "2," + std::string(kTextBufferSize, 'a');
  const std::string tooLong = "^ERROR: parameter string longer than 8191 characters.\n\n$";
  EXPECT_EXIT(verifyCommandlineOf(params), ::testing::ExitedWithCode(1), tooLong);
  EXPECT_EXIT(verifyParametersOf(params), ::testing::ExitedWithCode(1), tooLong);
}

TEST(ReportErrorDeathTest, CutsAMessageLongerThanItsBuffer) {
  const std::string longArgument(3 * kTextBufferSize, 'a');
  EXPECT_EXIT(
      ReportError("ERROR: syntax error for parameters: %s", longArgument.c_str(), kUsageLines),
      ::testing::ExitedWithCode(1), "^ERROR: syntax error for parameters: a{8155}\n\n$");
}

}  // namespace
}  // namespace vantrel
