#include "base/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/Errors.h"

namespace {

// The run-time's "disk write error" when the system gives no code.
int ErrorCode() { return errno != 0 ? errno : 101; }

// Returns 0 or the error code of the first failed write.
int WriteAll(int fd, const char* p, std::size_t left) {
  while (left > 0) {
    errno = 0;
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return ErrorCode();
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

// The fallback for a folder that takes no new file: the existing file is
// overwritten and cut to length.
void RewriteInPlace(const char* name, const char* data, std::size_t size) {
  const int fd = ::open(name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw CannotCreateFile(name);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw CannotCreateFile(name);
  }
  int failure = WriteAll(fd, data, size);
  errno = 0;
  if (failure == 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0) failure = ErrorCode();
  errno = 0;
  if (::close(fd) != 0 && failure == 0) failure = ErrorCode();
  if (failure != 0) throw IoError(failure);
}

// Creates a temporary file next to `name` under a name no other process can
// hold (O_EXCL); returns its descriptor, or -1 with errno set.
int CreateTemporary(const char* name, char* tmp, std::size_t tmpSize) {
  static unsigned counter = 0;
  const char* slash = std::strrchr(name, '/');
  const int dirLength = slash ? static_cast<int>(slash - name + 1) : 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const unsigned salt = static_cast<unsigned>(now.tv_nsec) ^ (++counter * 2654435761u);
    const int n = std::snprintf(tmp, tmpSize, "%.*s.%s.%ld.%08x.tmp", dirLength, name, name + dirLength,
                                static_cast<long>(::getpid()), salt);
    if (n < 0 || static_cast<std::size_t>(n) >= tmpSize) {
      errno = ENAMETOOLONG;
      return -1;
    }
    const int fd = ::open(tmp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

void ReplaceWholeFile(const char* name, const char* data, std::size_t size) {
  bool exists = false;
  mode_t mode = 0;
  struct stat st;
  if (::lstat(name, &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      // Opening a FIFO or a device could block or do harm; a folder or such
      // is never replaced by a report.
      if (!S_ISREG(st.st_mode)) throw CannotCreateFile(name);
      // A write-protected file stays protected, though the folder would take
      // its replacement.
      if (::faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) != 0) throw CannotCreateFile(name);
      exists = true;
      mode = st.st_mode & 07777;
    }
  } else if (errno != ENOENT) {
    throw CannotCreateFile(name);
  }

  char tmp[PATH_MAX + 64];
  const int fd = CreateTemporary(name, tmp, sizeof tmp);
  if (fd < 0) {
    if (exists && (errno == EACCES || errno == EPERM)) return RewriteInPlace(name, data, size);
    throw CannotCreateFile(name);
  }
  // The replacement keeps the permissions the user gave the old file.
  if (exists) (void)::fchmod(fd, mode);
  int failure = WriteAll(fd, data, size);
  errno = 0;
  if (failure == 0 && ::fsync(fd) != 0) failure = ErrorCode();
  errno = 0;
  if (::close(fd) != 0 && failure == 0) failure = ErrorCode();
  if (failure != 0) {
    ::unlink(tmp);
    throw IoError(failure);
  }
  errno = 0;
  if (::rename(tmp, name) != 0) {
    const int code = ErrorCode();
    ::unlink(tmp);
    // The name became a folder meanwhile.
    if (code == EISDIR || code == ENOTDIR) throw CannotCreateFile(name);
    throw IoError(code);
  }
}
