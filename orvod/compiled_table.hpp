// The labeller with its answer table compiled once into the cache and mapped on later starts.
#pragma once

#include <string>

#include "cache/store.hpp"
#include "orvod/labeller.hpp"

namespace orvod {

// The labeller of the atlases in `dataDirectory`. Its answer table comes from a compiled file
// named by the SHA-256 of the files it is built from, when the store holds a sound one; otherwise
// it is built and compiled for later starts. Answers are the same either way. Throws
// std::runtime_error naming the file that is missing or refused, as loadAtlasSet does.
Labeller loadLabeller(const std::string& dataDirectory, const cache::Store& store);

}  // namespace orvod
