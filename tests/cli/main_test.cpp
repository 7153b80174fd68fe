// Tests of the run sequence through the Vantrel binary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/vantrel.hpp"
#include "testkit/process.hpp"

namespace vantrel {
namespace {

// What Vantrel prints on bad input, written out independently of the sources.
const std::string kUsageText =
    "\nUsage: Vantrel <Code><:Cubesize>, X, Y, Z\n"
    "<Code> refers to the database type\n"
    "to query for data values:\n"
    "  1 - Quendel data\n"
    "  2 - Talairach Label data\n"
    "  3 - 5mm x 5mm x 5mm cube search area\n"
    "      use <:Cubesize for sizes of 3, 5, 7, 9, or 11\n\n"
    "X, Y, Z are in Talairach coordinate space.\n"
    "for example:\n\n"
    "Vantrel 2, 6, 7, 8\n"
    "Returned: Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body\n\n"
    "Vantrel 3:3, 5,6,7\n"
    "Sent: 3:3,5,6,7\n"
    "Returned:\n"
    "18:Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body\n"
    "9:Right Cerebrum,Sub-lobar,Extra-Nuclear,Cerebro-Spinal Fluid,Lateral Ventricle\n";

// Blanks would vanish later, but the joined text itself must fit the parameter string.
TEST(Main, RefusesTooFewArgumentsAndAJoinedTextLongerThanTheParameterString) {
  const kit::ProcessResult none = kit::runProcess(VANTREL_BINARY, {});
  EXPECT_EQ(none.exitStatus, 1);
  EXPECT_EQ(none.err, "ERROR: Too few parameters.\n\n");
  EXPECT_EQ(none.out, kUsageText);
  const std::string padding(kMaxTextLength - 7, ' ');
  const kit::ProcessResult fits = kit::runProcess(VANTREL_BINARY, {"2,6,7,8", padding});
  EXPECT_EQ(fits.err.find("ERROR: "), std::string::npos) << fits.err;
  const kit::ProcessResult longer = kit::runProcess(VANTREL_BINARY, {"2,6,7,8", padding + " "});
  EXPECT_EQ(longer.exitStatus, 1);
  EXPECT_EQ(longer.err, "ERROR: parameter string longer than 8191 characters.\n\n");
}

}  // namespace
}  // namespace vantrel
