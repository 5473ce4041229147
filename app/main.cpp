// The loot editor starts on its start-up window.
#include "app/app_start.h"

int main(int argc, char** argv) {
  LootApplication app(argc, argv);
  return run_program(app);
}
