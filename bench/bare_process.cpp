// The yardstick for zorvin-asm's own cost: a C++ process that loads the
// same runtime libraries, prints one line and ends.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  const std::string name = argc > 0 ? argv[0] : "";
  std::printf("%zu\n", name.size());
  return 0;
}
