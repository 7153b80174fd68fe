// vantrel-atlas's entry point: lists the atlases, labels one point or a table, reports clusters.
#include "app/program.hpp"
#include "vantrel-atlas/commands.hpp"

int main(int argc, char* argv[]) {
  return app::runMain(argc, argv, vantrel_atlas::program());
}
