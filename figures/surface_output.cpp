// Figure files: PNG, SVG or PDF through cairo's surfaces, written whole or not at all.
#include "figures/surface_output.hpp"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <memory>
#include <stdexcept>

#include "figures/png_file.hpp"
#include "tables/staged_files.hpp"

namespace figures {
namespace {

void check(cairo_status_t status, const std::filesystem::path& path) {
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(path.string() + ": " + cairo_status_to_string(status));
  }
}

cairo_surface_t* surfaceFor(Format format, const std::filesystem::path& file, int width,
                            int height) {
  switch (format) {
    case Format::Svg:
      return cairo_svg_surface_create(file.c_str(), width, height);
    case Format::Pdf:
      return cairo_pdf_surface_create(file.c_str(), width, height);
    case Format::Png:
      break;
  }
  return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
}

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

void paintInto(Format format, const std::filesystem::path& file, int width, int height,
               const Painter& paint, const std::filesystem::path& named) {
  const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      surfaceFor(format, file, width, height));
  cairo_status_t status;
  {
    const std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    paint(cr.get());
    status = cairo_status(cr.get());
  }
  if (status == CAIRO_STATUS_SUCCESS && format == Format::Png) {
    writePng(surface.get(), file);
  }
  // Vector surfaces write their file as they finish.
  cairo_surface_finish(surface.get());
  if (status == CAIRO_STATUS_SUCCESS) {
    status = cairo_surface_status(surface.get());
  }
  check(status, named);
}

}  // namespace

std::optional<Format> parseFormat(std::string_view name) {
  if (name == "png")
    return Format::Png;
  if (name == "svg")
    return Format::Svg;
  if (name == "pdf")
    return Format::Pdf;
  return std::nullopt;
}

const char* extensionOf(Format format) {
  switch (format) {
    case Format::Svg:
      return ".svg";
    case Format::Pdf:
      return ".pdf";
    case Format::Png:
      break;
  }
  return ".png";
}

void writeFigure(const std::filesystem::path& path, Format format, int width, int height,
                 const Painter& paint) {
  tables::writeWhole(path, [&](const std::filesystem::path& temporary) {
    paintInto(format, temporary, width, height, paint, path);
  });
}

}  // namespace figures
