// Tests of a whole run against a test daemon: order, a restarting daemon, timeouts.
#include "batch/batch_run.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

#include "testkit/fake_daemon.hpp"
#include "testkit/written.hpp"

namespace vantrel::batch {
namespace {

using kit::FakeDaemon;
using std::chrono::milliseconds;

// The daemon answers out of order, never answers every thirteenth point, goes away with queries
// in flight and comes back 300 ms later on the same port: the rows still come out in input order
// and only the unanswered points fail, each after its own timeout.
TEST(LabelTable, ADaemonThatRestartsMidTableLosesNoRowAndKeepsTheOrder) {
  constexpr int kPoints = 40;
  const kit::Responder answer = [](const std::string& query) {
    const int x = std::atoi(query.c_str() + 2);  // of "2,X,0,0"
    return x % 13 == 5 ? kit::silence() : kit::replyWith("a", milliseconds((kPoints - x) % 9 * 2));
  };
  auto daemon = std::make_unique<FakeDaemon>(answer);
  const int port = daemon->port();
  sockaddr_in address{};
  ASSERT_TRUE(exchange::resolveDaemon("127.0.0.1", port, address));
  std::thread restart([&] {
    const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (daemon->accepted() < 10 && std::chrono::steady_clock::now() < patience) {
      std::this_thread::sleep_for(milliseconds(1));
    }
    daemon.reset();
    std::this_thread::sleep_for(milliseconds(300));
    daemon = std::make_unique<FakeDaemon>(answer, port);
  });
  std::ostringstream points;
  for (int x = 0; x < kPoints; ++x) {
    points << x << "\t0\t0\n";
  }
  std::istringstream in(points.str());
  const std::vector<InputLine> table = tables::readTable(in, false);
  BatchOptions options;
  options.timeoutSeconds = 1;
  ProgressBar silent(stderr, table.size(), false);
  tables::RunCounts counts;
  std::istringstream rows(kit::writtenBy(
      [&](std::FILE* out) { counts = labelTable(table, options, address, out, silent); }));
  restart.join();
  int x = 0;
  for (std::string row; std::getline(rows, row); ++x) {
    EXPECT_EQ(row, x % 13 == 5 ? "# line " + std::to_string(x + 1) +
                                     ": failed: " + std::to_string(x) + " 0 0: no reply within 1 s"
                               : std::to_string(x) + "\t0\t0\ta");
  }
  EXPECT_EQ(x, kPoints);
  EXPECT_EQ(counts.failed, 3U);
  EXPECT_EQ(counts.labelled, 37U);
}

}  // namespace
}  // namespace vantrel::batch
