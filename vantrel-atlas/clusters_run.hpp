// The clusters subcommand: a statistical map in, labelled clusters and peaks out.
#pragma once

#include "vantrel-atlas/options.hpp"

namespace vantrel_atlas {

// Reads the map, finds and labels its clusters, prints the cluster table and, with --out,
// writes every report file. Throws std::runtime_error with a one-line reason.
int runClusters(const Options& options);

}  // namespace vantrel_atlas
