// The report of point and table: where the answers came from, the glass brain, and one row
// per point linking to its figure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "atlas/labelling.hpp"
#include "figures/pictures.hpp"
#include "atlas/provenance_text.hpp"
#include "report/page.hpp"

namespace vantrel_atlas {

// The report's provenance: the program, the data, the transform, every atlas and the input.
report::Provenance reportProvenance(const RunProvenance& run, const std::string& commandLine,
                                    std::optional<report::Source> input);

// A table's input file with its digest; standard input ("-") cannot be hashed after the fact.
report::Source inputSource(const std::string& path);

// The page for labelled points; `links` holds each subject's figure, then the glass brain's.
// The viewer, where there is one, follows the glass brain.
std::string pointsPage(const LoadedAtlases& atlases, const report::Provenance& provenance,
                       const std::vector<Subject>& subjects, const std::vector<std::string>& links,
                       const std::optional<report::Section>& viewer);

// The current time in UTC, as 2026-12-07T00:10:00Z.
std::string utcNow();

}  // namespace vantrel_atlas
