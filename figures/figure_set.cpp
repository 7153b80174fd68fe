// A run's figures: one per point or peak and a glass brain over them all, drawn once, into one
// folder, and given to a second folder as the same files.
#include "figures/figure_set.hpp"

#include <atomic>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "figures/captions.hpp"
#include "figures/slice_figure.hpp"
#include "tables/staged_files.hpp"

namespace figures {
namespace {

namespace fs = std::filesystem;

// The outlined atlas's compact label index at a point: one colour per label.
RegionLookup outlinesOf(const vantrel_atlas::LoadedAtlases& atlases) {
  if (atlases.atlases().empty()) {
    return {};
  }
  const atlas::LabelAtlas& first = atlases.atlases().front();
  return [&first](const imaging::Vec3& mni) { return int{first.indexAtWorld(mni)}; };
}

void shareFigure(const fs::path& from, const fs::path& to) {
  tables::writeWhole(to, [&](const fs::path& temporary) {
    std::error_code unlinkable;
    fs::create_hard_link(from, temporary, unlinkable);
    std::error_code error;
    if (unlinkable && !fs::copy_file(from, temporary, error)) {
      throw std::runtime_error(to.string() + ": cannot copy the figure here: " + error.message());
    }
  });
}

}  // namespace

FigureSet::FigureSet(const vantrel_atlas::LoadedAtlases& atlases, const std::string& dataDirectory,
                     Format format)
    : atlases_(atlases), anatomy_(loadAnatomy(dataDirectory)), format_(format) {}

std::string FigureSet::fileName(const std::string& stem) const {
  return stem + extensionOf(format_);
}

void FigureSet::drawSubject(tables::OutputFolder& folder, const Subject& subject,
                            const Overlay* overlay) const {
  const SliceFigure figure{subject.answer.mni, subject.title, captionOf(atlases_, subject.answer),
                           outlinesOf(atlases_), overlay};
  const FigureLayout layout = layoutOf(anatomy_, figure);
  writeFigure(folder.figurePath(fileName(subject.name)), format_, layout.width(), layout.height(),
              [&](cairo_t* cr) { drawSliceFigure(cr, anatomy_, figure); });
}

std::vector<std::string> FigureSet::draw(tables::OutputFolder& folder,
                                         const std::vector<Subject>& subjects,
                                         const GlassBrain& glass) const {
  // The glass brain first, on this thread: it also sets up the fonts before threads share them.
  const FigureLayout layout = layoutOf(anatomy_, glass);
  const auto glassPath = folder.figurePath(fileName(kGlassBrainStem));
  writeFigure(glassPath, format_, layout.width(), layout.height(),
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
  std::vector<std::string> names;
  for (const Subject& subject : subjects) {
    names.push_back(fileName(subject.name));
    if (fs::exists(folder.figurePath(names.back()))) {
      folder.wrote(folder.figurePath(names.back()));
    }
  }
  if (firstError) {
    std::rethrow_exception(firstError);
  }
  names.push_back(fileName(kGlassBrainStem));
  return names;
}

void shareFigures(const tables::OutputFolder& from, tables::OutputFolder& to,
                  const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const fs::path source = from.figurePath(name), target = to.figurePath(name);
    // Both options may name one folder: the figure is already there.
    std::error_code distinct;
    if (!fs::equivalent(source, target, distinct)) {
      shareFigure(source, target);
      to.wrote(target);
    }
  }
}

}  // namespace figures
