// Tests of vantrel-atlas table through the built program. The reading rules are vantrel-batch's
// and tested there; here: the table's own columns, the rejected lines, the count and the status.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "testkit/temp_dir.hpp"
#include "tests/vantrel-atlas/atlas_program.hpp"

namespace vantrel_atlas::test {
namespace {

TEST(TableCommand, LabelsATableInOrderAndCountsRejectedLines) {
  ATLAS_SKIP_WITHOUT_DATA();
  const vantrel::kit::TempDir dir("vantrel-atlas-test");
  std::ofstream(dir / "points.tsv") << "# peaks\nx\ty\tz\tname\n-38\t-22\t56\tM1\n1\tNaN\t3\n"
                                       "2000000000\t0\t0\n100\t100\t100\tfar\n";
  const vantrel::kit::ProcessResult r =
      runAtlas({"table", "--atlas", "aal,jhu189", (dir / "points.tsv").string()});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "vantrel-atlas: 2 labelled, 2 rejected\n");
  const std::string rows = r.out.substr(r.out.find("\nx\t") + 1);
  EXPECT_EQ(rows,
            "x\ty\tz\taal\taal_nearest\taal_mm\tjhu189\tjhu189_nearest\tjhu189_mm\tname\n"
            "-38\t-22\t56\tPostcentral_L\tPostcentral_L\t0\tPrCG_L\tPrCG_L\t0\tM1\n"
            "# line 4: rejected: Y is not a number: NaN\n"
            "# line 5: rejected: a coordinate is beyond +-1e9 mm\n"
            "100\t100\t100\t\t\t\t\t\t\tfar\n");
  EXPECT_NE(r.out.find("# atlas jhu189: jhu189.nii.gz, sha256 "), std::string::npos);
}

// A few points are searched for one by one and many through the nearest-label maps; both must
// give the same rows. The long table starts with the short one, and is read in several blocks
// before the run decides.
TEST(TableCommand, AFewPointsAndManyAreLabelledAlike) {
  ATLAS_SKIP_WITHOUT_DATA();
  const vantrel::kit::TempDir dir("vantrel-atlas-test");
  std::string few = "x\ty\tz\n";
  for (int i = 0; i < 60; ++i) {
    few += std::to_string(-95 + (i * 37) % 190) + ".5\t" + std::to_string(-130 + (i * 53) % 225) +
           "\t" + std::to_string(-80 + (i * 29) % 195) + ".25\n";
  }
  std::ofstream(dir / "few.tsv") << few;
  std::ofstream many(dir / "many.tsv");
  many << few;
  for (int i = 0; i < 5000; ++i) {
    many << "0\t0\t0\tlong enough for the table to span blocks of reading\n";
  }
  many.close();
  const auto run = [&](const char* name) {
    return runAtlas({"table", "--nearest", "12", "--within", "4", (dir / name).string()});
  };
  const vantrel::kit::ProcessResult a = run("few.tsv"), b = run("many.tsv");
  ASSERT_EQ(a.exitStatus, 0) << a.err;
  ASSERT_EQ(b.exitStatus, 0) << b.err;
  EXPECT_EQ(b.err, "vantrel-atlas: 5060 labelled, 0 rejected\n");
  EXPECT_EQ(b.out.substr(0, a.out.size()), a.out);
}

}  // namespace
}  // namespace vantrel_atlas::test
