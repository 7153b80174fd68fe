// A statistical map: one volume of real values on the map's own grid, and what its header says.
#include "maps/stat_map.hpp"

namespace maps {

StatMap readStatMap(const std::string& path, std::int64_t volume) {
  imaging::NiftiReader reader(path, {.volume = volume});
  imaging::Volume<double> values = reader.read<double>();
  return {std::move(values), reader.header()};
}

}  // namespace maps
