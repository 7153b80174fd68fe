// orvod: answers Orvo queries about Talairach points from the atlases of the mricron-data package.
#include "app/program.hpp"
#include "orvod/command.hpp"

int main(int argc, char* argv[]) {
  return app::runMain(argc, argv, orvod::program());
}
