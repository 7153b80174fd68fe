// Where answers come from: file digests, the installed data package's version, the transform.
#include "atlas/provenance.hpp"

#include <nettle/sha2.h>

#include <fstream>
#include <stdexcept>

namespace atlas {
namespace {

std::string hex(const std::uint8_t* bytes, std::size_t size) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

// One stanza's field, e.g. "Version"; fields start a line with "Name: ".
std::optional<std::string_view> field(std::string_view stanza, std::string_view name) {
  for (std::size_t start = 0; start < stanza.size();) {
    const std::size_t end = std::min(stanza.find('\n', start), stanza.size());
    const std::string_view line = stanza.substr(start, end - start);
    if (line.size() > name.size() + 1 && line.starts_with(name) && line[name.size()] == ':') {
      const std::string_view value = line.substr(name.size() + 1);
      return value.substr(std::min(value.find_first_not_of(' '), value.size()));
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::string sha256OfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error(path + ": cannot open the file");
  }
  sha256_ctx context;
  sha256_init(&context);
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    sha256_update(&context, static_cast<std::size_t>(in.gcount()),
                  reinterpret_cast<const std::uint8_t*>(buffer));
  }
  if (in.bad()) {
    throw std::runtime_error(path + ": read error");
  }
  std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest{};
  sha256_digest(&context, digest.size(), digest.data());
  return hex(digest.data(), digest.size());
}

std::optional<std::string> installedVersion(std::string_view dpkgStatus, std::string_view package) {
  while (!dpkgStatus.empty()) {
    const std::size_t end = dpkgStatus.find("\n\n");
    const std::string_view stanza = dpkgStatus.substr(0, end);
    dpkgStatus.remove_prefix(end == std::string_view::npos ? dpkgStatus.size() : end + 2);
    if (field(stanza, "Package") != package) {
      continue;
    }
    const std::optional<std::string_view> status = field(stanza, "Status");
    const std::optional<std::string_view> version = field(stanza, "Version");
    if (status && status->ends_with(" installed") && version) {
      return std::string(*version);
    }
  }
  return std::nullopt;
}

// Read a stanza at a time: the status file of a desktop holds megabytes, and a run needs one
// package's lines of it.
std::optional<std::string> installedVersionOnThisMachine(std::string_view package) {
  constexpr std::size_t kLongestStanza = std::size_t{1} << 20;
  std::ifstream in(kDpkgStatusFile);
  std::string stanza;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) {
      if (stanza.size() + line.size() < kLongestStanza) {
        stanza += line + "\n";
      }
      continue;
    }
    if (std::optional<std::string> version = installedVersion(stanza, package)) {
      return version;
    }
    stanza.clear();
  }
  return installedVersion(stanza, package);
}

}  // namespace atlas
