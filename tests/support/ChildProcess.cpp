#include "ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {
constexpr uid_t kNobody = 65534;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

int InChild(const std::function<int()>& body, bool unprivileged) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (unprivileged && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
      _exit(kNoUnprivilegedUser);
    alarm(60);
    const int status = body();
    std::fflush(nullptr);
    _exit(status);
  }
  return WaitFor(pid);
}

int RunUnprivileged(const std::function<bool()>& body) {
  const int status = InChild([&] { return body() ? 0 : 1; }, true);
  return status == 0 || status == kNoUnprivilegedUser ? status : 1;
}
