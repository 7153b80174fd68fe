// PNG files from cairo image surfaces, compressed for speed: figures are many and pixel-exact.
#pragma once

#include <cairo.h>

#include <filesystem>

namespace figures {

// Writes an RGB24 or ARGB32 image surface as an 8-bit RGB PNG; throws std::runtime_error.
void writePng(cairo_surface_t* image, const std::filesystem::path& path);

}  // namespace figures
