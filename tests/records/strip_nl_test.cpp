// Tests of newline stripping.
#include <gtest/gtest.h>

#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(StripNl, TurnsEveryNewlineIntoATerminator) {
  char text[] = "a\nb\n";
  strip_nl(text);
  EXPECT_EQ(std::string(text, sizeof text), std::string("a\0b\0\0", 5));
}

TEST(StripNl, LeavesOtherBytesAndEmptyTexts) {
  char text[] = "a\r\tb";
  strip_nl(text);
  EXPECT_STREQ(text, "a\r\tb");
  char empty[] = "";
  strip_nl(empty);
  EXPECT_STREQ(empty, "");
}

}  // namespace
}  // namespace vantrel
