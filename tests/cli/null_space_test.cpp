// Tests of blank removal.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(NULLSpace, RemovesBlanksOnly) {
  TextBuffer out;
  NULLSpace(" 3 : 3 ,\t5 , 6 ,7 ", out);
  EXPECT_STREQ(out.data(), "3:3,\t5,6,7");
}

TEST(NULLSpace, KeepsItsTerminatorWhateverTheInputLength) {
  const std::string longText(2 * kTextBufferSize, 'a');
  TextBuffer out;
  NULLSpace(longText.c_str(), out);
  EXPECT_EQ(std::strlen(out.data()), kMaxTextLength);
  EXPECT_EQ(out.back(), '\0');
}

}  // namespace
}  // namespace vantrel
