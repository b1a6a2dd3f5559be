#pragma once
// Checks run in a child process: as an unprivileged user, for whom file
// permissions bind (they do not bind root), or under limits the test itself
// must not suffer.

#include <sys/types.h>

#include <cstdio>
#include <functional>

// The exit status of child `pid`, -signal when a signal ended it.
int WaitFor(pid_t pid);

// What a child reports when it is root and cannot drop its rights (some
// sandboxes run everything as such a root).
constexpr int kNoUnprivilegedUser = 125;

// Runs `body` in a child process, with `unprivileged` as user and group
// "nobody" when this is root, and returns the child's exit status: what `body`
// returned (it may also exec), kNoUnprivilegedUser, or -signal. A child still
// running after a minute is ended, so that a stuck one fails the test rather
// than hanging it; the child has none of this process's threads.
int InChild(const std::function<int()>& body, bool unprivileged);

// Runs `body` unprivileged: 0 when it returned true, 1 when it returned false
// or died, kNoUnprivilegedUser when root could not drop its rights.
int RunUnprivileged(const std::function<bool()>& body);

// In such a body: gives up with the failed condition on stderr.
#define CHILD_CHECK(cond)                                                     \
  do {                                                                        \
    if (!(cond)) {                                                            \
      std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
      return false;                                                           \
    }                                                                         \
  } while (0)
