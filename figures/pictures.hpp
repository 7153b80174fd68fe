// Figures of labelled points: one picture per point or peak, and a glass brain over them all.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "figures/anatomy.hpp"
#include "figures/glass_brain.hpp"
#include "figures/surface_output.hpp"
#include "atlas/labelling.hpp"
#include "tables/report_folder.hpp"

namespace vantrel_atlas {

struct Subject {
  std::string name;   // the file's stem: "line-12", "cluster-2-peak-1"
  std::string title;  // "Line 12", "Cluster 2, peak 1"
  PointAnswer answer;
};

// One atlas's answer as a person reads it: "Precentral_L", "none; nearest Precentral_L at
// 2.24 mm" or "none within 10 mm".
std::string answerText(const LoadedAtlases& atlases, std::size_t atlas, const AtlasAnswer& answer);

// The coordinates, then every atlas's answer, then which atlas the outlines show.
std::vector<std::string> captionOf(const LoadedAtlases& atlases, const PointAnswer& answer);

// "-38, -22, 56"
std::string coordinatesText(const imaging::Vec3& point);

class PictureMaker {
 public:
  static constexpr const char* kGlassBrainStem = "glass-brain";

  // Reads the Colin brain from the data folder; throws std::runtime_error naming a missing file.
  PictureMaker(const LoadedAtlases& atlases, const std::string& dataDirectory,
               figures::Format format);

  // Writes every subject's figure, over `glass.overlay` when there is one, and then the glass
  // brain, into `folder`; returns their links, in that order.
  std::vector<std::string> draw(report::ReportFolder& folder, const std::vector<Subject>& subjects,
                                const figures::GlassBrain& glass) const;

  figures::Format format() const { return format_; }

 private:
  void drawSubject(report::ReportFolder& folder, const Subject& subject,
                   const figures::Overlay* overlay) const;
  std::string fileName(const std::string& stem) const;

  const LoadedAtlases& atlases_;
  figures::Anatomy anatomy_;
  figures::Format format_;
};

}  // namespace vantrel_atlas
