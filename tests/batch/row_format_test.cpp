// Tests of the output rows: TSV notes and carried fields, JSON objects parsed back; the escaping
// of cells is tables' TsvRow's, tested there.
#include "batch/row_format.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

namespace vantrel::batch {
namespace {

using nlohmann::json;

InputLine pointLine(std::size_t number, Point3 point) {
  InputLine line;
  line.number = number;
  line.point = point;
  return line;
}

std::string labelled(OutputFormat format, const InputLine& line, std::int32_t code,
                     const char* text) {
  TextBuffer answer{};
  std::strcpy(answer.data(), text);
  return answerRow(format, line, {code, 5, line.point}, answer);
}

TEST(AnswerRow, TsvCarriesExtraFieldsOnTheFirstRowAndNotesConversions) {
  InputLine line = pointLine(3, {5, 6, 7});
  line.extra = {"peak A", "3.2"};
  EXPECT_EQ(labelled(OutputFormat::kTsv, line, 2, "a,b"), "5\t6\t7\ta\tb\tpeak A\t3.2\n");
  EXPECT_EQ(labelled(OutputFormat::kTsv, line, 3, "1:a:2:b:"),
            "5\t6\t7\t2\tb\tpeak A\t3.2\n\t\t\t1\ta\n");

  InputLine rounded = pointLine(4, {10, -21, 31});
  rounded.rounded = true;
  rounded.given = {"10.4", "-20.6", "30.5"};
  EXPECT_EQ(labelled(OutputFormat::kTsv, rounded, 2, "a"),
            "# line 4: rounded 10.4 -20.6 30.5 to 10 -21 31\n10\t-21\t31\ta\n");

  InputLine mni = pointLine(5, {-40, -20, 50});
  mni.mni = true;
  mni.given = {"-41.174", "-15.953", "53.503"};
  EXPECT_EQ(failedRow(OutputFormat::kTsv, mni, "no reply within 2 s"),
            "# line 5: MNI -41.174 -15.953 53.503 is Talairach -40 -20 50\n"
            "# line 5: failed: -40 -20 50: no reply within 2 s\n");
}

TEST(AnswerRow, JsonOfALabelledAndAFailedLineParsesBack) {
  InputLine line = pointLine(7, {5, 6, 7});
  line.rounded = true;
  line.givenValues = {5.4, 6.0, 6.5};
  line.extra = {"peak name"};
  EXPECT_EQ(json::parse(labelled(OutputFormat::kJson, line, 1, "a")),
            json::parse(R"({"line":7,"status":"labelled","point":{"x":5,"y":6,"z":7},
                            "rounded_from":{"x":5.4,"y":6.0,"z":6.5},"fields":["a"],
                            "extra":["peak name"]})"));
  EXPECT_EQ(json::parse(failedRow(OutputFormat::kJson, line, "daemon down")),
            json::parse(R"({"line":7,"status":"failed","point":{"x":5,"y":6,"z":7},
                            "rounded_from":{"x":5.4,"y":6.0,"z":6.5},"error":"daemon down",
                            "extra":["peak name"]})"));
}

}  // namespace
}  // namespace vantrel::batch
