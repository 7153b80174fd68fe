#include "figures/surface_output.hpp"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/figures/figure_fixture.hpp"

namespace figures {
namespace {

using fixture::FigureTest;

void paintGrey(cairo_t* cr) {
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
  cairo_paint(cr);
}

std::string headOf(const std::filesystem::path& path, std::size_t bytes) {
  std::ifstream in(path, std::ios::binary);
  std::string head(bytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(bytes));
  return head.substr(0, static_cast<std::size_t>(in.gcount()));
}

TEST_F(FigureTest, EachFormatWritesItsOwnKindOfFileAtTheAskedSize) {
  struct Case {
    const char* name;
    std::string magic;
  } cases[] = {{"png", "\x89PNG"}, {"svg", "<?xml"}, {"pdf", "%PDF"}};
  for (const auto& c : cases) {
    const auto format = parseFormat(c.name);
    ASSERT_TRUE(format) << c.name;
    const auto path = dir_ / (std::string("figure") + extensionOf(*format));
    writeFigure(path, *format, 950, 320, paintGrey);
    EXPECT_EQ(headOf(path, c.magic.size()), c.magic) << c.name;
  }
  EXPECT_FALSE(parseFormat("jpeg"));
  const fixture::Picture png(dir_ / "figure.png");
  EXPECT_EQ(png.width(), 950);
  EXPECT_EQ(png.height(), 320);
  EXPECT_NE(headOf(dir_ / "figure.svg", 400).find("width=\"950"), std::string::npos);
}

TEST_F(FigureTest, AFailedFigureLeavesNoFileBehind) {
  struct Case {
    const char* name;
    std::filesystem::path path;
    Painter paint;
  } cases[] = {
      {"missing folder", dir_ / "absent" / "figure.png", paintGrey},
      {"painter fails", dir_ / "figure.png",
       [](cairo_t*) { throw std::runtime_error("no anatomy"); }},
  };
  for (const auto& c : cases) {
    for (const Format format : {Format::Png, Format::Svg, Format::Pdf}) {
      EXPECT_THROW(writeFigure(c.path, format, 950, 320, c.paint), std::runtime_error) << c.name;
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

}  // namespace
}  // namespace figures
