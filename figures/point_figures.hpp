// The figures of point and table: one per point, titled by its line and the table's further
// fields, and a glass brain numbering every point by its line.
#pragma once

#include <vector>

#include "atlas/point_answers.hpp"
#include "figures/figure_set.hpp"

namespace figures {

class PointFigures {
 public:
  // Keeps a labelled point for its figure: a table's line, or the one point.
  void add(const vantrel_atlas::GivenPoint& given, const vantrel_atlas::PointAnswer& answer);

  const std::vector<Subject>& subjects() const { return subjects_; }
  GlassBrain glassBrain() const;

 private:
  std::vector<Subject> subjects_;
  std::vector<Mark> marks_;
};

}  // namespace figures
