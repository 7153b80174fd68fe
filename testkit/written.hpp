// What a function writes to a C stream, as a string, for the tests of what prints to a FILE*.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantrel::kit {

template <class Write>
std::string writtenBy(Write&& write) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&data, &size);
  write(out);
  std::fclose(out);
  std::string text(data, size);
  std::free(data);
  return text;
}

}  // namespace vantrel::kit
