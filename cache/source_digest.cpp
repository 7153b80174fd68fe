// The SHA-256 of source files, remembered beside each file's stat signature so that a large file
// that has not changed is not read again, and hashed again whenever anything stat says differs.
#include "cache/source_digest.hpp"

#include <nettle/sha2.h>
#include <sys/stat.h>
#include <xxhash.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "cache/atomic_write.hpp"

namespace cache {
namespace {

constexpr std::string_view kMemoFirstLine = "vantrel source digest 1\n";

std::int64_t nanosecondsOf(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::int64_t nowNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return nanosecondsOf(now);
}

// What a memo file says: the source's signature and digest when it was hashed, and when.
struct Memo {
  StatSignature signature;
  std::int64_t hashedAtNs = 0;
  Digest digest{};
  std::string path;
};

std::string memoText(const Memo& memo) {
  const StatSignature& s = memo.signature;
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, "%llu %llu %llu %lld %lld %lld ",
                static_cast<unsigned long long>(s.device), static_cast<unsigned long long>(s.inode),
                static_cast<unsigned long long>(s.size), static_cast<long long>(s.modifiedNs),
                static_cast<long long>(s.changedNs), static_cast<long long>(memo.hashedAtNs));
  return std::string(kMemoFirstLine) + numbers + hexOf(memo.digest) + "\n" + memo.path;
}

template <class Number>
bool readNumber(std::string_view& text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data() + text.size() || *end != ' ') {
    return false;
  }
  text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
  return true;
}

bool readDigest(std::string_view& text, Digest& digest) {
  if (text.size() < 2 * digest.size() + 1 || text[2 * digest.size()] != '\n') {
    return false;
  }
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const auto [end, error] =
        std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, digest[i], 16);
    if (error != std::errc() || end != text.data() + 2 * i + 2) {
      return false;
    }
  }
  text.remove_prefix(2 * digest.size() + 1);
  return true;
}

// Anything but a memo in the exact form written reads as no memo.
std::optional<Memo> parseMemo(std::string_view text) {
  if (!text.starts_with(kMemoFirstLine)) {
    return std::nullopt;
  }
  text.remove_prefix(kMemoFirstLine.size());
  Memo memo;
  StatSignature& s = memo.signature;
  if (!readNumber(text, s.device) || !readNumber(text, s.inode) || !readNumber(text, s.size) ||
      !readNumber(text, s.modifiedNs) || !readNumber(text, s.changedNs) ||
      !readNumber(text, memo.hashedAtNs) || !readDigest(text, memo.digest)) {
    return std::nullopt;
  }
  memo.path = text;
  return memo;
}

std::optional<Memo> readMemo(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  // A memo holds a path and a few numbers; anything longer is not one.
  constexpr std::streamsize kLongest = 8192;
  std::string text(static_cast<std::size_t>(kLongest), '\0');
  in.read(text.data(), kLongest);
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text.size() < static_cast<std::size_t>(kLongest) ? parseMemo(text) : std::nullopt;
}

}  // namespace

std::string hexOf(const Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

Digest sha256OfFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error(path.string() + ": cannot open the file");
  }
  sha256_ctx context;
  sha256_init(&context);
  std::vector<char> buffer(1 << 16);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    sha256_update(&context, static_cast<std::size_t>(in.gcount()),
                  reinterpret_cast<const std::uint8_t*>(buffer.data()));
  }
  if (in.bad()) {
    throw std::runtime_error(path.string() + ": read error");
  }
  Digest digest{};
  sha256_digest(&context, digest.size(), digest.data());
  return digest;
}

Digest sha256OfParts(const std::vector<std::string_view>& parts) {
  sha256_ctx context;
  sha256_init(&context);
  for (const std::string_view part : parts) {
    const std::string length = std::to_string(part.size()) + ":";
    sha256_update(&context, length.size(), reinterpret_cast<const std::uint8_t*>(length.data()));
    sha256_update(&context, part.size(), reinterpret_cast<const std::uint8_t*>(part.data()));
  }
  Digest digest{};
  sha256_digest(&context, digest.size(), digest.data());
  return digest;
}

std::optional<StatSignature> statSignatureOf(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return StatSignature{static_cast<std::uint64_t>(status.st_dev),
                       static_cast<std::uint64_t>(status.st_ino),
                       static_cast<std::uint64_t>(status.st_size), nanosecondsOf(status.st_mtim),
                       nanosecondsOf(status.st_ctim)};
}

DigestMemo::DigestMemo(std::optional<std::filesystem::path> folder,
                       std::chrono::nanoseconds racyWindow)
    : folder_(std::move(folder)), racyWindow_(racyWindow) {}

std::filesystem::path DigestMemo::memoPathOf(const std::string& source) const {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.digest",
                static_cast<unsigned long long>(XXH3_64bits(source.data(), source.size())));
  return *folder_ / name;
}

DigestMemo::Answer DigestMemo::digestOf(const std::filesystem::path& source) const {
  const std::int64_t startedNs = nowNs();
  const std::optional<StatSignature> before = statSignatureOf(source);
  std::error_code ignored;
  const std::string absolute = std::filesystem::absolute(source, ignored).string();
  if (folder_ && before) {
    const std::optional<Memo> memo = readMemo(memoPathOf(absolute));
    const std::int64_t lastTouchNs = std::max(before->modifiedNs, before->changedNs);
    if (memo && memo->path == absolute && memo->signature == *before &&
        lastTouchNs + racyWindow_.count() <= memo->hashedAtNs) {
      return {memo->digest, true};
    }
  }
  const Digest digest = sha256OfFile(source);
  // A file that changed while it was read has no one digest to remember.
  if (folder_ && before && statSignatureOf(source) == before) {
    const std::string text = memoText({*before, startedNs, digest, absolute});
    std::filesystem::create_directories(*folder_, ignored);
    writeWhole(memoPathOf(absolute), std::as_bytes(std::span(text)));
  }
  return {digest, false};
}

}  // namespace cache
