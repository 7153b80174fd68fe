// One run of vantrel-batch: every line of the table labelled, rows written in input order.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "tables/point_table.hpp"
#include "batch/options.hpp"
#include "batch/progress_bar.hpp"
#include "src/exchange/exchange.hpp"

namespace vantrel::batch {

struct BatchSummary {
  std::size_t labelled = 0;
  std::size_t rejected = 0;
  std::size_t failed = 0;
};

// Why a query failed, as its row reports it.
std::string failureReason(exchange::Outcome outcome, double timeoutSeconds);

// The pause before retry `retry` (1, 2, ...) of a failed query: it doubles
// from 200 ms and never exceeds 2 s.
std::chrono::milliseconds backoffBefore(int retry);

// Queries the daemon for every point of `table`, `options.jobs` at a time,
// and writes one entry per line to `out` in input order.
BatchSummary labelTable(const std::vector<InputLine>& table, const BatchOptions& options,
                        const sockaddr_in& daemon, std::FILE* out, ProgressBar& progress);

std::string summaryLine(const BatchSummary& summary);
int exitStatusFor(const BatchSummary& summary);

}  // namespace vantrel::batch
