// Tests of argument joining and blank removal at the buffer limit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

}  // namespace
}  // namespace vantrel
