#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "BatchRun.h"

int main(int argc, char** argv) {
  // A closed standard stream keeps its number taken, by a descriptor that
  // fails every write: no file opened later lands there, and output to it is
  // reported as failed.
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) < 0) {
      const int spare = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
      if (spare >= 0 && spare != fd) ::close(spare);
    }
  // A file-size limit makes the write fail with an error instead of killing
  // the run, so that its temporary file is removed.
  ::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args == std::vector<std::string>{"--version"}) {
    std::cout << "reactopt-batch " << REACTOPT_VERSION << std::endl;
    return std::cout ? 0 : 1;
  }
  return BatchMain(args, std::cout, std::cerr);
}
