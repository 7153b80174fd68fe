// Where a report's answers came from: the program, the data, the transform, every atlas and
// the input.
#pragma once

#include <optional>
#include <string>

#include "atlas/provenance_text.hpp"
#include "report/page.hpp"

namespace report {

Provenance reportProvenance(const vantrel_atlas::RunProvenance& run, const std::string& commandLine,
                            std::optional<Source> input);

// A table's input file with its digest; standard input ("-") cannot be hashed after the fact.
Source inputSource(const std::string& path);

}  // namespace report
