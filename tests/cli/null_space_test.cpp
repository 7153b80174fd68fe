// Tests of blank removal on inputs longer than its buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(NULLSpace, KeepsItsTerminatorWhateverTheInputLength) {
  const std::string longText(2 * kTextBufferSize, 'a');
  TextBuffer out;
  NULLSpace(longText.c_str(), out);
  EXPECT_EQ(std::strlen(out.data()), kMaxTextLength);
  EXPECT_EQ(out.back(), '\0');
}

}  // namespace
}  // namespace vantrel
