// Figures of labelled points: one picture per point or peak, and a glass brain over them all.
#include "figures/pictures.hpp"

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "figures/slice_figure.hpp"
#include "atlas/point_report.hpp"
#include "atlas/provenance_report.hpp"

namespace vantrel_atlas {
namespace {

constexpr int kDistanceDecimals = 2;

// The outlined atlas's compact label index at a point: one colour per label.
figures::RegionLookup outlinesOf(const LoadedAtlases& atlases) {
  if (atlases.atlases().empty()) {
    return {};
  }
  const atlas::LabelAtlas& first = atlases.atlases().front();
  return [&first](const imaging::Vec3& mni) { return int{first.indices().atWorld(mni)}; };
}

}  // namespace

std::string coordinatesText(const imaging::Vec3& point) {
  return formatNumber(point[0], 2) + ", " + formatNumber(point[1], 2) + ", " +
         formatNumber(point[2], 2);
}

std::string answerText(const LoadedAtlases& atlases, std::size_t atlas, const AtlasAnswer& answer) {
  const atlas::LabelAtlas& labels = atlases.atlases()[atlas];
  if (answer.label != 0) {
    return labels.label(answer.label).name;
  }
  if (answer.nearest) {
    return "none; nearest " + labels.label(answer.nearest->index).name + " at " +
           formatNumber(answer.nearest->distanceMm, kDistanceDecimals) + " mm";
  }
  if (atlases.radii().nearestMm > 0) {
    return "none within " + formatNumber(atlases.radii().nearestMm, 2) + " mm";
  }
  return "none";
}

std::vector<std::string> captionOf(const LoadedAtlases& atlases, const PointAnswer& answer) {
  std::vector<std::string> lines{"MNI " + coordinatesText(answer.mni) + " mm   (Talairach " +
                                 coordinatesText(answer.talairach) + ")"};
  for (std::size_t i = 0; i < answer.atlases.size(); ++i) {
    lines.push_back(std::string(atlases.atlases()[i].entry().key) + ": " +
                    answerText(atlases, i, answer.atlases[i]));
  }
  if (!atlases.atlases().empty()) {
    lines.push_back("Outlines: " + std::string(atlases.atlases().front().entry().key) +
                    " regions. Neurological convention: the subject's left on the left.");
  }
  return lines;
}

PictureMaker::PictureMaker(const LoadedAtlases& atlases, const std::string& dataDirectory,
                           figures::Format format)
    : atlases_(atlases), anatomy_(figures::loadAnatomy(dataDirectory)), format_(format) {}

std::string PictureMaker::fileName(const std::string& stem) const {
  return stem + figures::extensionOf(format_);
}

void PictureMaker::drawSubject(report::ReportFolder& folder, const Subject& subject,
                               const figures::Overlay* overlay) const {
  const figures::SliceFigure figure{subject.answer.mni, subject.title,
                                    captionOf(atlases_, subject.answer), outlinesOf(atlases_),
                                    overlay};
  const figures::FigureLayout layout = layoutOf(anatomy_, figure);
  figures::writeFigure(folder.figurePath(fileName(subject.name)), format_, layout.width(),
                       layout.height(),
                       [&](cairo_t* cr) { drawSliceFigure(cr, anatomy_, figure); });
}

std::vector<std::string> PictureMaker::draw(report::ReportFolder& folder,
                                            const std::vector<Subject>& subjects,
                                            const figures::GlassBrain& glass) const {
  // The glass brain first, on this thread: it also sets up the fonts before threads share them.
  const figures::FigureLayout layout = layoutOf(anatomy_, glass);
  const auto glassPath = folder.figurePath(fileName(kGlassBrainStem));
  figures::writeFigure(glassPath, format_, layout.width(), layout.height(),
                       [&](cairo_t* cr) { drawGlassBrain(cr, anatomy_, glass); });
  folder.wrote(glassPath);

  std::atomic<std::size_t> next{0};
  std::mutex failure;
  std::exception_ptr firstError;
  const auto work = [&] {
    for (std::size_t i = next++; i < subjects.size(); i = next++) {
      try {
        drawSubject(folder, subjects[i], glass.overlay);
      } catch (...) {
        const std::lock_guard lock(failure);
        firstError = firstError ? firstError : std::current_exception();
        next = subjects.size();
      }
    }
  };
  std::thread helper(work);
  work();
  helper.join();
  std::vector<std::string> links;
  for (const Subject& subject : subjects) {
    const std::string name = fileName(subject.name);
    if (std::filesystem::exists(folder.figurePath(name))) {
      folder.wrote(folder.figurePath(name));
    }
    links.push_back(folder.figureHref(name));
  }
  if (firstError) {
    std::rethrow_exception(firstError);
  }
  links.push_back(folder.figureHref(fileName(kGlassBrainStem)));
  return links;
}

}  // namespace vantrel_atlas
