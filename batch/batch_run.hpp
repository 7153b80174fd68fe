// One run of vantrel-batch: every line of the table labelled, rows written in input order.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/options.hpp"
#include "batch/progress_bar.hpp"
#include "src/exchange/exchange.hpp"
#include "tables/point_table.hpp"
#include "tables/run_summary.hpp"

namespace vantrel::batch {

// Why a query failed, as its row reports it.
std::string failureReason(exchange::Outcome outcome, double timeoutSeconds);

// The pause before retry `retry` (1, 2, ...) of a failed query: it doubles
// from 200 ms and never exceeds 2 s.
std::chrono::milliseconds backoffBefore(int retry);

// Queries the daemon for every point of `table`, `options.jobs` at a time,
// and writes one entry per line to `out` in input order.
tables::RunCounts labelTable(const std::vector<InputLine>& table, const BatchOptions& options,
                             const sockaddr_in& daemon, std::FILE* out, ProgressBar& progress);

}  // namespace vantrel::batch
