#include <iostream>
#include <string>
#include <vector>

#include "BatchRun.h"

int main(int argc, char** argv) {
  return BatchMain(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
