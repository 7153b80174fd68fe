// Tests of the protocol's query text.
#include "src/protocol/protocol.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace vantrel::protocol {
namespace {

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
}  // namespace vantrel::protocol
