// Where answers come from: file digests, the installed data package's version, the transform.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace atlas {

inline constexpr const char* kDataPackage = "mricron-data";
inline constexpr const char* kDpkgStatusFile = "/var/lib/dpkg/status";

// The MNI/Talairach transform every program here uses, named and cited once.
inline constexpr const char* kTransformName =
    "pooled ICBM-152 MNI to Talairach affine, and its inverse";
inline constexpr const char* kTransformCitation =
    "Hum Brain Mapp 2007;28:1194-1205, doi:10.1002/hbm.20345";

// The lower-case hex SHA-256 of a file's bytes; throws std::runtime_error naming the file when
// it cannot be read.
std::string sha256OfFile(const std::string& path);

// The version of an installed package in a dpkg status database's text, or nothing when the
// package has no stanza there or is not installed.
std::optional<std::string> installedVersion(std::string_view dpkgStatus, std::string_view package);

// The same, read from the machine's dpkg status file; nothing when it cannot be read.
std::optional<std::string> installedVersionOnThisMachine(std::string_view package);

}  // namespace atlas
