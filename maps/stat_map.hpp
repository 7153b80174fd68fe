// A statistical map read from a NIfTI file: one volume of real values on the map's own grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/transform.hpp"

namespace atlas {

struct StatMap {
  std::int64_t nx = 0, ny = 0, nz = 0;
  std::int64_t volumes = 1;  // the fourth dimension of the file
  // One value per voxel, x fastest, scl_slope and scl_inter applied; NaN and infinities kept.
  std::vector<double> values;

  Affine voxelToWorld{};
  std::string transform;       // "sform" or "qform": the one voxelToWorld came from
  std::string transformCode;   // its NIfTI code name: "MNI_152", "Aligned Anat", ...
  bool standardSpace = false;  // whether either code names a standard space

  int niftiVersion = 1;
  std::string datatype;  // the NIfTI name of the stored type, such as "INT16"
  // The file's header in host byte order, so that maps derived from this one keep its grid.
  std::vector<std::byte> header;

  std::int64_t voxelCount() const { return nx * ny * nz; }
  // Edge lengths of a voxel along each voxel axis, in mm.
  Vec3 voxelSize() const;
  double voxelVolumeMm3() const;
  Vec3 worldOf(std::int64_t voxel) const;
};

// The volume of one voxel of a grid with this voxel-to-world transform, in mm3.
double voxelVolumeMm3(const Affine& voxelToWorld);

// Reads volume `volume` of a NIfTI-1 or NIfTI-2 file, .nii or .nii.gz, of any real scalar
// type. Throws std::runtime_error with a one-line reason, prefixed with the path.
StatMap readStatMap(const std::string& path, std::int64_t volume = 0);

}  // namespace atlas
