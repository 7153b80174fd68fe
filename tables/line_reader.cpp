// Lines read from a stream with their length bounded while reading, so that a line with no end
// in sight holds no more memory than the bound.
#include "tables/line_reader.hpp"

namespace tables {
namespace {

// What istream::getline stored: the characters extracted, less the line end when it took one.
std::size_t storedLength(const std::istream& in) {
  const auto extracted = static_cast<std::size_t>(in.gcount());
  return in.fail() || in.eof() ? extracted : extracted - 1;
}

}  // namespace

LineReader::LineReader(std::istream& in, std::size_t bound) : in_(in), buffer_(bound + 1) {}

bool LineReader::next(TextLine& line) {
  line.cut = false;
  line.restBlank = true;
  // getline fails when it extracts nothing at all: the input has ended. An empty line still
  // extracts its line end.
  in_.getline(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  if (in_.fail() && in_.gcount() == 0) {
    return false;
  }
  line.text.assign(buffer_.data(), storedLength(in_));
  // Failing after a full buffer, with input left, means the line goes on.
  if (in_.fail() && !in_.eof()) {
    line.cut = true;
    skipRest(line);
  }
  return true;
}

// Reads the rest of a cut line a buffer at a time, noting whether it is blank.
void LineReader::skipRest(TextLine& line) {
  bool carriageReturnLast = false;
  do {
    in_.clear(in_.rdstate() & ~std::ios::failbit);
    in_.getline(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    const std::size_t length = storedLength(in_);
    for (std::size_t i = 0; i < length && line.restBlank; ++i) {
      const char c = buffer_[i];
      line.restBlank = !carriageReturnLast && (c == ' ' || c == '\t' || c == '\r');
      carriageReturnLast = c == '\r';
    }
  } while (in_.fail() && !in_.eof() && in_.gcount() > 0);
}

}  // namespace tables
