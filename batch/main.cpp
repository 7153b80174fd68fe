// vantrel-batch's entry point: labels a table of points through the Orvo daemon.
#include "app/program.hpp"
#include "batch/options.hpp"

int main(int argc, char* argv[]) {
  return app::runMain(argc, argv, vantrel::batch::program());
}
