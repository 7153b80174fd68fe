// The figures of point and table: one per point, titled by its line and the table's further
// fields, and a glass brain numbering every point by its line.
#include "figures/point_figures.hpp"

#include <string>

namespace figures {

void PointFigures::add(const vantrel_atlas::GivenPoint& given,
                       const vantrel_atlas::PointAnswer& answer) {
  if (!given.line) {
    subjects_.push_back({"point", "Point", answer});
    marks_.push_back({answer.mni, ""});
    return;
  }
  const std::string line = std::to_string(*given.line);
  // A table's further fields often name the point ("hand motor"): they make the title.
  std::string title = "Line " + line;
  for (std::size_t i = 0; i < given.extra.size(); ++i) {
    title += (i == 0 ? ": " : ", ") + given.extra[i];
  }
  subjects_.push_back({"line-" + line, title, answer});
  marks_.push_back({answer.mni, line});
}

GlassBrain PointFigures::glassBrain() const {
  const std::string count =
      std::to_string(subjects_.size()) + (subjects_.size() == 1 ? " point" : " points");
  return {"Glass brain: " + count,
          {"Every point over the outline of the Colin brain, numbered by its line in the table."},
          marks_,
          nullptr};
}

}  // namespace figures
