// Files of the cache written whole or not at all: under a temporary name in their folder, then
// renamed over the final name, so a reader never sees half a file and two writers leave one.
#include "cache/atomic_write.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cache {
namespace {

// Written a page at a time: the page cache then holds the file in small pages, so a run that
// maps it and reads a few blocks maps only those, not the large pages a large write creates.
constexpr std::size_t kWriteBytes = 4096;

bool writeAll(int fd, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), std::min(bytes.size(), kWriteBytes));
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::string writeWhole(const std::filesystem::path& path, std::span<const std::byte> bytes) {
  // The temporary name starts with a dot, so listing the folder never shows a file in progress.
  std::string temporary =
      (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    return std::strerror(errno);
  }
  const bool written = writeAll(fd, bytes);
  const int error = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(temporary.c_str());
    return std::strerror(written ? errno : error);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temporary.c_str());
    return std::strerror(renameError);
  }
  return {};
}

}  // namespace cache
