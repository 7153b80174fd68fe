// Labelling the table: a query per point on the ordered pool, a row per line, a summary.
#include "batch/batch_run.hpp"

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "batch/ordered_pool.hpp"
#include "batch/row_format.hpp"
#include "src/protocol/protocol.hpp"

namespace vantrel::batch {

namespace {

enum class Status { kLabelled, kRejected, kFailed };

struct Slot {
  Status status = Status::kRejected;
  std::string row;
};

exchange::Deadline deadlineAfter(double seconds) {
  return exchange::Clock::now() + std::chrono::duration_cast<exchange::Clock::duration>(
                                      std::chrono::duration<double>(seconds));
}

// A daemon that restarts refuses, resets or stalls the queries of a moment;
// a query that never got a socket will not get one by waiting.
bool worthRetrying(exchange::Outcome outcome) {
  return outcome != exchange::Outcome::kAnswered && outcome != exchange::Outcome::kNoSocket;
}

exchange::Outcome queryWithRetries(const sockaddr_in& daemon, const TextBuffer& request,
                                   TextBuffer& answer, const BatchOptions& options) {
  exchange::Outcome outcome =
      exchange::exchangeWith(daemon, request, answer, deadlineAfter(options.timeoutSeconds));
  for (int retry = 1; retry <= options.retries && worthRetrying(outcome); ++retry) {
    std::this_thread::sleep_for(backoffBefore(retry));
    answer.fill('\0');
    outcome =
        exchange::exchangeWith(daemon, request, answer, deadlineAfter(options.timeoutSeconds));
  }
  return outcome;
}

Slot labelLine(const InputLine& line, const BatchOptions& options, const sockaddr_in& daemon) {
  if (line.rejected) {
    return {Status::kRejected, tables::rejectedRow(options.format, line)};
  }
  const Query query{options.code, options.cubesize, line.point};
  TextBuffer request;
  protocol::composeQueryText(query.code, query.cubesize, query.point[0], query.point[1],
                             query.point[2], request);
  TextBuffer answer{};
  const exchange::Outcome outcome = queryWithRetries(daemon, request, answer, options);
  if (outcome != exchange::Outcome::kAnswered) {
    return {Status::kFailed,
            failedRow(options.format, line, failureReason(outcome, options.timeoutSeconds))};
  }
  return {Status::kLabelled, answerRow(options.format, line, query, answer)};
}

void count(tables::RunCounts& counts, Status status) {
  switch (status) {
    case Status::kLabelled:
      ++counts.labelled;
      break;
    case Status::kRejected:
      ++counts.rejected;
      break;
    case Status::kFailed:
      ++counts.failed;
      break;
  }
}

}  // namespace

std::chrono::milliseconds backoffBefore(int retry) {
  constexpr std::chrono::milliseconds kFirst{200};
  constexpr std::chrono::milliseconds kLongest{2000};
  constexpr int kDoublings = 4;  // 200 ms * 2^4 is past kLongest already
  return std::min(kLongest, kFirst * (1 << std::clamp(retry - 1, 0, kDoublings)));
}

std::string failureReason(exchange::Outcome outcome, double timeoutSeconds) {
  switch (outcome) {
    case exchange::Outcome::kNoSocket:
      return "no socket could be created";
    case exchange::Outcome::kDaemonDown:
      return "the daemon is down (connection refused)";
    case exchange::Outcome::kSendFailed:
      return "sending the query failed";
    case exchange::Outcome::kReceiveFailed:
      return "the daemon closed the connection without a reply";
    case exchange::Outcome::kTimedOut: {
      std::ostringstream reason;
      reason << "no reply within " << timeoutSeconds << " s";
      return reason.str();
    }
    case exchange::Outcome::kAnswered:
      break;
  }
  return "answered";
}

tables::RunCounts labelTable(const std::vector<InputLine>& table, const BatchOptions& options,
                             const sockaddr_in& daemon, std::FILE* out, ProgressBar& progress) {
  std::vector<Slot> slots(table.size());
  tables::RunCounts counts;
  OrderedRun run;
  run.count = table.size();
  run.jobs = options.jobs;
  run.work = [&](std::size_t i) { slots[i] = labelLine(table[i], options, daemon); };
  run.deliver = [&](std::size_t i) {
    std::fwrite(slots[i].row.data(), 1, slots[i].row.size(), out);
    count(counts, slots[i].status);
    slots[i].row = std::string{};
    progress.update(i + 1);
  };
  run.progress = [&](std::size_t done) { progress.update(done); };
  runInOrder(run);
  std::fflush(out);
  progress.clear();
  return counts;
}

}  // namespace vantrel::batch
