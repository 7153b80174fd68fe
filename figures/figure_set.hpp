// A run's figures: one per point or peak and a glass brain over them all, drawn once, into one
// folder, and given to a second folder as the same files.
#pragma once

#include <string>
#include <vector>

#include "atlas/labelling.hpp"
#include "figures/anatomy.hpp"
#include "figures/glass_brain.hpp"
#include "figures/surface_output.hpp"
#include "tables/output_folder.hpp"

namespace figures {

// What --figures and --figure-format ask for.
struct PictureOptions {
  std::string folder;  // empty: no folder of figures
  Format format = Format::Png;
};

struct Subject {
  std::string name;   // the file's stem: "line-12", "cluster-2-peak-1"
  std::string title;  // "Line 12", "Cluster 2, peak 1"
  vantrel_atlas::PointAnswer answer;
};

class FigureSet {
 public:
  static constexpr const char* kGlassBrainStem = "glass-brain";

  // Reads the Colin brain from the data folder; throws std::runtime_error naming a missing file.
  FigureSet(const vantrel_atlas::LoadedAtlases& atlases, const std::string& dataDirectory,
            Format format);

  // Writes every subject's figure, over `glass.overlay` when there is one, and then the glass
  // brain, into `folder`; returns their file names, in that order.
  std::vector<std::string> draw(tables::OutputFolder& folder, const std::vector<Subject>& subjects,
                                const GlassBrain& glass) const;

 private:
  void drawSubject(tables::OutputFolder& folder, const Subject& subject,
                   const Overlay* overlay) const;
  std::string fileName(const std::string& stem) const;

  const vantrel_atlas::LoadedAtlases& atlases_;
  Anatomy anatomy_;
  Format format_;
};

// Puts the figures `names` of `from` into `to` too: a second name for the same file where the
// file system allows one, else a copy. Throws std::runtime_error naming a file it cannot place.
void shareFigures(const tables::OutputFolder& from, tables::OutputFolder& to,
                  const std::vector<std::string>& names);

}  // namespace figures
