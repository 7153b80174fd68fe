// The compiled-file container: a header naming what was compiled, by which format and from what
// sources; a table of sections; and the sections, each with its own checksum, verified the first
// time a run reads it, so a run never reads the sections it does not use.
#include "cache/compiled_file.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace cache {
namespace {

// The container's own layout; the key's format version is the sections'.
constexpr char kMagic[8] = {'V', 'A', 'N', 'T', 'R', 'E', 'L', 'C'};
constexpr std::uint32_t kContainerVersion = 1;

// Header: magic, container version, format version, file size, kind, source digest, section
// count, a reserved word, then the checksum of the header before it and the section table.
constexpr std::size_t kKindBytes = 16;
constexpr std::size_t kTagBytes = 8;
constexpr std::size_t kAtContainer = 8, kAtFormat = 12, kAtFileSize = 16, kAtKind = 24,
                      kAtSource = kAtKind + kKindBytes, kAtCount = kAtSource + 32,
                      kAtChecksum = kAtCount + 8, kHeaderBytes = kAtChecksum + 8;
// Each section's entry: tag, offset, size, checksum.
constexpr std::size_t kEntryBytes = kTagBytes + 24;
constexpr std::uint32_t kMostSections = 64;
// Sections start on cache lines, so any array in one is aligned.
constexpr std::size_t kSectionAlignment = 64;

template <class T>
T readAt(std::span<const std::byte> bytes, std::size_t at) {
  T value{};
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

template <class T>
void writeAt(std::vector<std::byte>& bytes, std::size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

bool isNameCharacter(char c, bool tag) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         (tag && ((c >= 'A' && c <= 'Z') || c == '_'));
}

bool isName(std::string_view name, std::size_t longest, bool tag) {
  return !name.empty() && name.size() <= longest &&
         std::all_of(name.begin(), name.end(), [tag](char c) { return isNameCharacter(c, tag); });
}

// A name stored in a field of `width` bytes, padded with zeros; empty when it is not one.
std::string nameAt(std::span<const std::byte> bytes, std::size_t at, std::size_t width, bool tag) {
  const char* field = reinterpret_cast<const char*>(bytes.data() + at);
  const std::string_view name(field, strnlen(field, width));
  const bool padded =
      std::all_of(field + name.size(), field + width, [](char c) { return c == 0; });
  return padded && isName(name, width, tag) ? std::string(name) : std::string();
}

void putName(std::vector<std::byte>& bytes, std::size_t at, std::string_view name) {
  std::memcpy(bytes.data() + at, name.data(), name.size());
}

std::uint64_t checksumOf(std::span<const std::byte> bytes) {
  return XXH3_64bits(bytes.data(), bytes.size());
}

std::size_t aligned(std::size_t offset) {
  return (offset + kSectionAlignment - 1) / kSectionAlignment * kSectionAlignment;
}

struct Layout {
  CompiledKey key;
  std::vector<std::string> tags;
  std::vector<std::uint64_t> offsets, sizes, checksums;
};

// The header and section table, checked from their own bytes alone; no section is read.
Layout layoutOf(std::span<const std::byte> bytes) {
  if (bytes.size() < kHeaderBytes) {
    throw UntrustedFile("truncated");
  }
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    throw UntrustedFile("not a compiled file");
  }
  if (const auto container = readAt<std::uint32_t>(bytes, kAtContainer);
      container != kContainerVersion) {
    throw UntrustedFile("of container version " + std::to_string(container) + ", not " +
                        std::to_string(kContainerVersion));
  }
  const auto declaredSize = readAt<std::uint64_t>(bytes, kAtFileSize);
  if (declaredSize != bytes.size()) {
    throw UntrustedFile(declaredSize > bytes.size() ? "truncated" : "longer than its header says");
  }
  const auto count = readAt<std::uint32_t>(bytes, kAtCount);
  if (count > kMostSections || kHeaderBytes + std::size_t{count} * kEntryBytes > bytes.size()) {
    throw UntrustedFile("its section table does not fit");
  }
  const std::size_t tableEnd = kHeaderBytes + std::size_t{count} * kEntryBytes;
  XXH3_state_t* state = XXH3_createState();
  XXH3_64bits_reset(state);
  XXH3_64bits_update(state, bytes.data(), kAtChecksum);
  XXH3_64bits_update(state, bytes.data() + kHeaderBytes, tableEnd - kHeaderBytes);
  const std::uint64_t tableChecksum = XXH3_64bits_digest(state);
  XXH3_freeState(state);
  if (tableChecksum != readAt<std::uint64_t>(bytes, kAtChecksum)) {
    throw UntrustedFile("its header is corrupt");
  }
  Layout layout;
  layout.key.kind = nameAt(bytes, kAtKind, kKindBytes, false);
  layout.key.formatVersion = readAt<std::uint32_t>(bytes, kAtFormat);
  std::memcpy(layout.key.source.data(), bytes.data() + kAtSource, layout.key.source.size());
  if (layout.key.kind.empty()) {
    throw UntrustedFile("its kind is not a name");
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kHeaderBytes + i * kEntryBytes;
    const std::string tag = nameAt(bytes, at, kTagBytes, true);
    const auto offset = readAt<std::uint64_t>(bytes, at + kTagBytes);
    const auto size = readAt<std::uint64_t>(bytes, at + kTagBytes + 8);
    const bool repeated =
        std::find(layout.tags.begin(), layout.tags.end(), tag) != layout.tags.end();
    if (tag.empty() || repeated || offset < tableEnd || offset % kSectionAlignment != 0 ||
        offset > bytes.size() || size > bytes.size() - offset) {
      throw UntrustedFile("its section table is corrupt");
    }
    layout.tags.push_back(tag);
    layout.offsets.push_back(offset);
    layout.sizes.push_back(size);
    layout.checksums.push_back(readAt<std::uint64_t>(bytes, at + kTagBytes + 16));
  }
  return layout;
}

// A read-only mapping of a whole file, unmapped when the last reader lets go.
class Mapping {
 public:
  explicit Mapping(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      throw std::runtime_error(path.string() + ": " + std::strerror(errno));
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0) {
      size_ = static_cast<std::size_t>(status.st_size);
      void* address = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      address_ = address == MAP_FAILED ? nullptr : address;
      if (address_ != nullptr) {
        ::madvise(address_, size_, MADV_RANDOM);
      }
    }
    const int error = errno;
    ::close(fd);
    if (address_ == nullptr && size_ > 0) {
      throw std::runtime_error(path.string() + ": cannot map the file: " + std::strerror(error));
    }
  }
  ~Mapping() {
    if (address_ != nullptr) {
      ::munmap(address_, size_);
    }
  }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;

  std::span<const std::byte> bytes() const {
    return {static_cast<const std::byte*>(address_), address_ != nullptr ? size_ : 0};
  }

 private:
  void* address_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

std::string CompiledKey::fileName() const {
  return kind + "-" + hexOf(source) + "-v" + std::to_string(kContainerVersion) + "." +
         std::to_string(formatVersion) + kCompiledExtension;
}

CompiledWriter::CompiledWriter(CompiledKey key) : key_(std::move(key)) {
  if (!isName(key_.kind, kKindBytes, false)) {
    throw std::invalid_argument("compiled file kind '" + key_.kind + "' is not a name");
  }
}

void CompiledWriter::add(std::string_view tag, std::span<const std::byte> bytes) {
  const bool repeated = std::any_of(sections_.begin(), sections_.end(),
                                    [tag](const auto& section) { return section.first == tag; });
  if (!isName(tag, kTagBytes, true) || repeated || sections_.size() == kMostSections) {
    throw std::invalid_argument("section tag '" + std::string(tag) + "' refused");
  }
  sections_.emplace_back(std::string(tag), std::vector<std::byte>(bytes.begin(), bytes.end()));
}

std::vector<std::byte> CompiledWriter::bytes() const {
  const std::size_t tableEnd = kHeaderBytes + sections_.size() * kEntryBytes;
  std::vector<std::size_t> offsets;
  std::size_t end = tableEnd;
  for (const auto& [tag, data] : sections_) {
    offsets.push_back(aligned(end));
    end = offsets.back() + data.size();
  }
  std::vector<std::byte> file(end);
  std::memcpy(file.data(), kMagic, sizeof kMagic);
  writeAt(file, kAtContainer, kContainerVersion);
  writeAt(file, kAtFormat, key_.formatVersion);
  writeAt(file, kAtFileSize, static_cast<std::uint64_t>(end));
  putName(file, kAtKind, key_.kind);
  std::memcpy(file.data() + kAtSource, key_.source.data(), key_.source.size());
  writeAt(file, kAtCount, static_cast<std::uint32_t>(sections_.size()));
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const auto& [tag, data] = sections_[i];
    const std::size_t at = kHeaderBytes + i * kEntryBytes;
    putName(file, at, tag);
    writeAt(file, at + kTagBytes, static_cast<std::uint64_t>(offsets[i]));
    writeAt(file, at + kTagBytes + 8, static_cast<std::uint64_t>(data.size()));
    writeAt(file, at + kTagBytes + 16, checksumOf(data));
    std::copy(data.begin(), data.end(), file.begin() + static_cast<std::ptrdiff_t>(offsets[i]));
  }
  XXH3_state_t* state = XXH3_createState();
  XXH3_64bits_reset(state);
  XXH3_64bits_update(state, file.data(), kAtChecksum);
  XXH3_64bits_update(state, file.data() + kHeaderBytes, tableEnd - kHeaderBytes);
  writeAt(file, kAtChecksum, XXH3_64bits_digest(state));
  XXH3_freeState(state);
  return file;
}

CompiledFile::CompiledFile(std::shared_ptr<const void> owner, std::span<const std::byte> bytes,
                           const CompiledKey& key)
    : owner_(std::move(owner)), bytes_(bytes), key_(key) {
  const Layout layout = layoutOf(bytes_);
  if (layout.key.formatVersion != key.formatVersion) {
    throw UntrustedFile("of format version " + std::to_string(layout.key.formatVersion) + ", not " +
                        std::to_string(key.formatVersion));
  }
  if (layout.key.kind != key.kind || layout.key.source != key.source) {
    throw UntrustedFile("compiled from other sources");
  }
  for (std::size_t i = 0; i < layout.tags.size(); ++i) {
    sections_.push_back({layout.tags[i], layout.offsets[i], layout.sizes[i], layout.checksums[i]});
  }
  verified_ = std::make_unique<std::atomic<bool>[]>(sections_.size());
}

CompiledFile CompiledFile::map(const std::filesystem::path& path, const CompiledKey& key) {
  auto mapping = std::make_shared<const Mapping>(path);
  const std::span<const std::byte> bytes = mapping->bytes();
  return CompiledFile(std::move(mapping), bytes, key);
}

CompiledFile CompiledFile::mapDeclared(const std::filesystem::path& path) {
  auto mapping = std::make_shared<const Mapping>(path);
  const std::span<const std::byte> bytes = mapping->bytes();
  const CompiledKey key = layoutOf(bytes).key;
  return CompiledFile(std::move(mapping), bytes, key);
}

CompiledFile CompiledFile::adopt(std::vector<std::byte> bytes, const CompiledKey& key) {
  auto owned = std::make_shared<const std::vector<std::byte>>(std::move(bytes));
  const std::span<const std::byte> view(*owned);
  return CompiledFile(std::move(owned), view, key);
}

std::span<const std::byte> CompiledFile::unreadSection(std::string_view tag) const {
  const auto found = std::find_if(sections_.begin(), sections_.end(),
                                  [tag](const Section& s) { return s.tag == tag; });
  if (found == sections_.end()) {
    throw UntrustedFile("it has no section " + std::string(tag));
  }
  return bytes_.subspan(found->offset, found->size);
}

std::span<const std::byte> CompiledFile::section(std::string_view tag) const {
  const std::span<const std::byte> bytes = unreadSection(tag);
  const auto found = std::find_if(sections_.begin(), sections_.end(),
                                  [tag](const Section& s) { return s.tag == tag; });
  // Verifying twice in a race costs a second pass, never a wrong answer.
  std::atomic<bool>& verified = verified_[static_cast<std::size_t>(found - sections_.begin())];
  if (!verified.load(std::memory_order_acquire)) {
    if (checksumOf(bytes) != found->checksum) {
      throw UntrustedFile("its section " + found->tag + " is corrupt");
    }
    verified.store(true, std::memory_order_release);
  }
  return bytes;
}

std::vector<std::string> CompiledFile::tags() const {
  std::vector<std::string> tags;
  for (const Section& s : sections_) {
    tags.push_back(s.tag);
  }
  return tags;
}

std::optional<CompiledKey> declaredKey(std::span<const std::byte> bytes) {
  try {
    return layoutOf(bytes).key;
  } catch (const UntrustedFile&) {
    return std::nullopt;
  }
}

}  // namespace cache
