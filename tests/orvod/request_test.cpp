// Tests of request parsing over well-formed and malformed requests.
#include "orvod/request.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvod {
namespace {

using namespace std::string_literals;

TEST(ParseRequest, ReadsEveryWellFormedShape) {
  const std::pair<std::string, Request> cases[] = {
      {"2,6,7,8", {2, 0, 6, 7, 8}},
      {"1,-40,-20,50", {1, 0, -40, -20, 50}},
      {"3:3,5,6,7", {3, 3, 5, 6, 7}},
      {"3:11,0,0,0", {3, 11, 0, 0, 0}},
      {"2,2147483647,-2147483648,0", {2, 0, 2147483647, -2147483648, 0}},
      {"02,007,-0,0", {2, 0, 7, 0, 0}},
      {"2,6,7,8\0"s + "9,9\0\0"s, {2, 0, 6, 7, 8}},  // the request ends at the first NUL
      {"3:5,1,2,3", {3, 5, 1, 2, 3}},                // the client closed without a NUL
      {"3:7,1,2,3", {3, 7, 1, 2, 3}},
      {"3:9,1,2,3", {3, 9, 1, 2, 3}},
  };
  for (const auto& [bytes, expected] : cases) {
    const ParsedRequest parsed = parseRequestBlock(bytes);
    ASSERT_TRUE(parsed.request) << bytes << ": " << parsed.error;
    EXPECT_EQ(*parsed.request, expected) << bytes;
  }
}

TEST(ParseRequest, AnswersEveryMalformedRequestWithAShortStarMessage) {
  const std::string cases[] = {
      "", std::string(vantrel::protocol::kBlockSize, '\0'),
      std::string(vantrel::protocol::kBlockSize, '7'),
      // missing, extra or empty fields, and junk
      "2", "2,6,7", "2,6,7,8,9", "2,6,7,8 ", "2,6,7,8x", " 2,6,7,8", "2,,7,8", "2;6;7;8",
      // numbers that are not signed 32-bit decimals
      "2,+6,7,8", "2,6.5,7,8", "2,0x10,7,8", "2,2147483648,0,0", "2,0,-2147483649,0",
      "2,0,0,99999999999999999999",
      // codes and cube sizes not offered
      "0,6,7,8", "4,6,7,8", "-2,6,7,8", "x,6,7,8", "3,6,7,8", "3:,6,7,8", "3:4,6,7,8", "3:13,6,7,8",
      "3:1,6,7,8", "3:-3,6,7,8", "2:3,6,7,8", "3:3:3,6,7,8"};
  for (const std::string& bytes : cases) {
    const ParsedRequest parsed = parseRequestBlock(bytes);
    EXPECT_FALSE(parsed.request) << '"' << bytes.substr(0, 20) << '"';
    EXPECT_TRUE(parsed.error.starts_with("* ")) << parsed.error;
    EXPECT_LT(parsed.error.size(), 200U);
  }
}

}  // namespace
}  // namespace orvod
