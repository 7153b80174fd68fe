// Tests of newline stripping.
#include <gtest/gtest.h>

#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(StripNl, TurnsEveryNewlineAndNothingElseIntoATerminator) {
  char text[] = "a\nb\r\tc\n";
  strip_nl(text);
  EXPECT_EQ(std::string(text, sizeof text), std::string("a\0b\r\tc\0\0", 8));
}

}  // namespace
}  // namespace vantrel
