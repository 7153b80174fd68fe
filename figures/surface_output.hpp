// Figure files: PNG, SVG or PDF through cairo's surfaces, written whole or not at all.
#pragma once

#include <cairo.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace figures {

enum class Format { Png, Svg, Pdf };

std::optional<Format> parseFormat(std::string_view name);
const char* extensionOf(Format format);

using Painter = std::function<void(cairo_t*)>;

// Paints a width x height figure into `path` under a temporary name in the same folder and
// renames it once complete. Throws std::runtime_error naming the path; no file is left behind.
void writeFigure(const std::filesystem::path& path, Format format, int width, int height,
                 const Painter& paint);

}  // namespace figures
