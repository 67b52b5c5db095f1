// make-sysfs-tree: builds a kernel device tree from its description
// (tests/fixtures/sysfs/*.tree) in a folder, for the tests that run the real
// run command over a fixture machine.
//
//   make-sysfs-tree DESCRIPTION FOLDER
#include <cstdio>
#include <string>

#include "sysfs_tree.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make-sysfs-tree DESCRIPTION FOLDER\n", stderr);
    return 2;
  }
  const std::string error = BuildSysfsTree(argv[1], argv[2]);
  if (!error.empty()) {
    std::fprintf(stderr, "make-sysfs-tree: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
