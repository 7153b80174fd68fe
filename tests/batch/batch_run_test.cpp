// Tests of a whole run against concurrent test daemons: order, a dying daemon, timeouts, statuses.
#include "batch/batch_run.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

#include "testkit/fake_daemon.hpp"

namespace vantrel::batch {
namespace {

using kit::FakeDaemon;
using std::chrono::milliseconds;

struct RunOutput {
  tables::RunCounts counts;
  std::vector<std::string> rows;
};

std::vector<InputLine> pointsAlongX(int count) {
  std::ostringstream table;
  for (int x = 0; x < count; ++x) {
    table << x << "\t0\t0\n";
  }
  std::istringstream in(table.str());
  return tables::readTable(in, false);
}

RunOutput runAgainst(int port, const std::vector<InputLine>& table, BatchOptions options) {
  options.port = port;
  sockaddr_in address{};
  EXPECT_TRUE(exchange::resolveDaemon("127.0.0.1", options.port, address));
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  ProgressBar silent(stderr, table.size(), false);
  RunOutput run{labelTable(table, options, address, out, silent), {}};
  std::fclose(out);
  std::istringstream rows(std::string(buffer, size));
  std::free(buffer);
  for (std::string row; std::getline(rows, row);) {
    run.rows.push_back(row);
  }
  return run;
}

// The X coordinate of the query text "2,X,0,0".
int queriedX(const std::string& query) {
  return std::atoi(query.c_str() + 2);
}

TEST(LabelTable, ADaemonThatDiesMidRunLeavesAFailedRowForEveryLaterPoint) {
  constexpr std::size_t kAnswered = 10;
  FakeDaemon daemon([](const std::string&) { return kit::replyWith("a,b"); }, 0, kAnswered);
  BatchOptions options;
  options.jobs = 4;
  options.retries = 0;
  const RunOutput run = runAgainst(daemon.port(), pointsAlongX(30), options);
  ASSERT_EQ(run.rows.size(), 30U);
  EXPECT_EQ(run.counts.labelled, kAnswered);
  EXPECT_EQ(run.counts.failed, 30U - kAnswered);
  for (std::size_t i = 0; i < run.rows.size(); ++i) {
    // A connection still queued when the daemon stops listening is reset, not refused.
    const std::string failed =
        "# line " + std::to_string(i + 1) + ": failed: " + std::to_string(i) + " 0 0: ";
    const std::string labelled = std::to_string(i) + "\t0\t0\ta\tb";
    EXPECT_TRUE(run.rows[i].rfind(failed, 0) == 0 || run.rows[i] == labelled) << run.rows[i];
  }
}

// The daemon answers out of order, goes away with queries in flight and comes back 300 ms
// later on the same port; the rows still come out in input order.
TEST(LabelTable, ADaemonThatRestartsMidTableLosesNoRowAndKeepsTheOrder) {
  constexpr int kPoints = 40;
  const kit::Responder answer = [](const std::string& query) {
    return kit::replyWith("a", milliseconds((kPoints - queriedX(query)) % 9 * 2));
  };
  auto daemon = std::make_unique<FakeDaemon>(answer);
  const int port = daemon->port();
  std::thread restart([&] {
    const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (daemon->accepted() < 10 && std::chrono::steady_clock::now() < patience) {
      std::this_thread::sleep_for(milliseconds(1));
    }
    daemon.reset();
    std::this_thread::sleep_for(milliseconds(300));
    daemon = std::make_unique<FakeDaemon>(answer, port);
  });
  BatchOptions options;
  options.jobs = 8;
  const RunOutput run = runAgainst(port, pointsAlongX(kPoints), options);
  restart.join();
  ASSERT_EQ(run.rows.size(), static_cast<std::size_t>(kPoints));
  for (int x = 0; x < kPoints; ++x) {
    EXPECT_EQ(run.rows[x], std::to_string(x) + "\t0\t0\ta");
  }
  EXPECT_EQ(run.counts.failed, 0U);
}

TEST(LabelTable, AQueryWithoutAReplyTimesOutAloneAndOnTime) {
  FakeDaemon daemon([](const std::string& query) {
    return queriedX(query) % 3 == 0 ? kit::silence() : kit::replyWith("a");
  });
  BatchOptions options;
  options.jobs = 8;
  options.timeoutSeconds = 0.2;
  options.retries = 0;
  const auto started = std::chrono::steady_clock::now();
  const RunOutput run = runAgainst(daemon.port(), pointsAlongX(12), options);
  EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(3000));
  ASSERT_EQ(run.rows.size(), 12U);
  for (int x = 0; x < 12; ++x) {
    EXPECT_EQ(run.rows[x], x % 3 == 0 ? "# line " + std::to_string(x + 1) + ": failed: " +
                                            std::to_string(x) + " 0 0: no reply within 0.2 s"
                                      : std::to_string(x) + "\t0\t0\ta");
  }
  EXPECT_EQ(run.counts.failed, 4U);
}

TEST(LabelTable, RejectedLinesAreCountedAndNeverSent) {
  FakeDaemon daemon([](const std::string&) { return kit::replyWith("a"); });
  std::istringstream in("1\t2\t3\n1\tx\t3\n");
  const RunOutput run = runAgainst(daemon.port(), tables::readTable(in, false), BatchOptions{});
  EXPECT_EQ(run.rows,
            (std::vector<std::string>{"1\t2\t3\ta", "# line 2: rejected: Y is not a number: x"}));
  EXPECT_EQ(daemon.accepted(), 1U);
  EXPECT_EQ(run.counts.labelled, 1U);
  EXPECT_EQ(run.counts.rejected, 1U);
}

}  // namespace
}  // namespace vantrel::batch
