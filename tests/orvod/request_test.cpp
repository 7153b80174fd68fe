// Tests of request parsing over well-formed and malformed requests.
#include "orvod/request.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvod {
namespace {

using namespace std::string_literals;

struct WellFormed {
  std::string text;
  Request expected;
};

TEST(ParseRequestText, ReadsEveryWellFormedShape) {
  const WellFormed cases[] = {
      {"2,6,7,8", {2, 0, 6, 7, 8}},
      {"1,-40,-20,50", {1, 0, -40, -20, 50}},
      {"3:3,5,6,7", {3, 3, 5, 6, 7}},
      {"3:11,0,0,0", {3, 11, 0, 0, 0}},
      {"2,2147483647,-2147483648,0", {2, 0, 2147483647, -2147483648, 0}},
      {"02,007,-0,0", {2, 0, 7, 0, 0}},
  };
  for (const WellFormed& c : cases) {
    const ParsedRequest parsed = parseRequestText(c.text);
    ASSERT_TRUE(parsed.request) << c.text << ": " << parsed.error;
    EXPECT_EQ(*parsed.request, c.expected) << c.text;
  }
}

TEST(ParseRequestText, AnswersEveryMalformedRequestWithAStarMessage) {
  const std::string cases[] = {
      "",                   // nothing
      "2",                  // missing fields
      "2,6,7",              //
      "2,6,7,8,9",          // trailing field
      "2,6,7,8 ",           // trailing junk
      "2,6,7,8x",           //
      " 2,6,7,8",           // leading blank
      "2,,7,8",             // empty field
      "2,+6,7,8",           // explicit plus sign
      "2,6.5,7,8",          // not an integer
      "2,0x10,7,8",         //
      "2,2147483648,0,0",   // beyond 32 bits
      "2,0,-2147483649,0",  //
      "2,0,0,99999999999999999999",
      "0,6,7,8",      // unknown codes
      "4,6,7,8",      //
      "-2,6,7,8",     //
      "x,6,7,8",      //
      "3,6,7,8",      // cube without a size
      "3:,6,7,8",     //
      "3:4,6,7,8",    // cube sizes not offered
      "3:13,6,7,8",   //
      "3:1,6,7,8",    //
      "3:-3,6,7,8",   //
      "2:3,6,7,8",    // a size on a point code
      "3:3:3,6,7,8",  //
      "2;6;7;8",      // wrong separator
  };
  for (const std::string& text : cases) {
    const ParsedRequest parsed = parseRequestText(text);
    EXPECT_FALSE(parsed.request) << '"' << text << '"';
    EXPECT_TRUE(parsed.error.starts_with("* ")) << '"' << text << "\": " << parsed.error;
    EXPECT_LT(parsed.error.size(), 200U);
  }
}

TEST(ParseRequestBlock, EndsTheRequestAtTheFirstNul) {
  std::string block = "2,6,7,8"s + '\0' + "9,9";
  block.resize(kRequestBlockSize, '\0');
  const ParsedRequest parsed = parseRequestBlock(block);
  ASSERT_TRUE(parsed.request) << parsed.error;
  EXPECT_EQ(parsed.request->x, 6);
}

TEST(ParseRequestBlock, AcceptsARequestCutShortByTheClientsClose) {
  const ParsedRequest parsed = parseRequestBlock("3:5,1,2,3");
  ASSERT_TRUE(parsed.request) << parsed.error;
  EXPECT_EQ(parsed.request->cubeSize, 5);
}

TEST(ParseRequestBlock, RefusesAFullBlockWithoutNul) {
  const std::string block(kRequestBlockSize, '7');
  const ParsedRequest parsed = parseRequestBlock(block);
  EXPECT_FALSE(parsed.request);
  EXPECT_TRUE(parsed.error.starts_with("* "));
}

TEST(ParseRequestBlock, RefusesAnEmptyRequest) {
  for (const std::string& bytes : {""s, std::string(kRequestBlockSize, '\0')}) {
    const ParsedRequest parsed = parseRequestBlock(bytes);
    EXPECT_FALSE(parsed.request);
    EXPECT_TRUE(parsed.error.starts_with("* "));
  }
}

}  // namespace
}  // namespace orvod
