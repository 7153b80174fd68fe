// PNG files from cairo image surfaces, compressed for speed: figures are many and pixel-exact.
#include "figures/png_file.hpp"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace figures {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// cairo keeps pixels as native-endian 32-bit words, alpha ignored for an opaque figure.
void unpackRow(const unsigned char* from, int width, std::vector<png_byte>& to) {
  for (int x = 0; x < width; ++x) {
    std::uint32_t word;
    std::memcpy(&word, from + 4 * x, sizeof word);
    to[3 * x] = static_cast<png_byte>(word >> 16);
    to[3 * x + 1] = static_cast<png_byte>(word >> 8);
    to[3 * x + 2] = static_cast<png_byte>(word);
  }
}

[[noreturn]] void onPngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp, so this frame holds nothing with a destructor.
bool encode(png_structp png, png_infop info, std::FILE* file, cairo_surface_t* image,
            std::vector<png_byte>& row) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  const int width = cairo_image_surface_get_width(image);
  const int height = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  const unsigned char* pixels = cairo_image_surface_get_data(image);
  png_init_io(png, file);
  png_set_compression_level(png, 2);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    unpackRow(pixels + static_cast<std::ptrdiff_t>(y) * stride, width, row);
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

void writePng(cairo_surface_t* image, const std::filesystem::path& path) {
  cairo_surface_flush(image);
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    throw std::runtime_error(path.string() + ": " + std::strerror(errno));
  }
  std::string error;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<std::size_t>(cairo_image_surface_get_width(image)) * 3);
  const bool written = info != nullptr && encode(png, info, file.get(), image, row);
  png_destroy_write_struct(&png, &info);
  if (!written || std::fflush(file.get()) != 0 || std::ferror(file.get())) {
    throw std::runtime_error(path.string() + ": cannot write PNG" +
                             (error.empty() ? "" : ": " + error));
  }
}

}  // namespace figures
