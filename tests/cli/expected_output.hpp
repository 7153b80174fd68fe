// What Vantrel prints on bad input, written out independently of the sources.
#pragma once

#include <string>

namespace vantrel::expected {

inline const std::string kUsageText =
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

}  // namespace vantrel::expected
