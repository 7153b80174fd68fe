// Lines read from a stream with their length bounded while reading, so that a line with no end
// in sight holds no more memory than the bound.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace tables {

// One line as read, without its line end.
struct TextLine {
  std::string text;  // the whole line, or only its first `bound` characters when cut
  bool cut = false;  // the line was longer than the bound: the rest was skipped
  // When cut: the skipped rest held nothing but blanks and tabs (a carriage return at its very
  // end aside), so whether the whole line is blank is still known.
  bool restBlank = true;
};

class LineReader {
 public:
  LineReader(std::istream& in, std::size_t bound);

  // False at the end of the input; a last line without a line end still counts.
  bool next(TextLine& line);

 private:
  void skipRest(TextLine& line);

  std::istream& in_;
  std::vector<char> buffer_;  // the bound and the terminator istream::getline writes
};

}  // namespace tables
