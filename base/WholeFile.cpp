#include "base/WholeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

using Left = WholeFileError::Left;

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

int WriteAllAt(int fd, const char* p, std::size_t left, off_t offset) {
  while (left > 0) {
    errno = 0;
    const ssize_t n = ::pwrite(fd, p, left, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return ErrorCode();
    p += n;
    offset += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

int ReadAllAt(int fd, char* p, std::size_t left, off_t offset) {
  while (left > 0) {
    errno = 0;
    const ssize_t n = ::pread(fd, p, left, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ErrorCode();
    if (n == 0) return EIO;  // the file shrank under the lock's nose
    p += n;
    offset += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Temporary files carry their writer's process and machine, so that leftovers
// of killed writers can be told from files still being written.
unsigned HostTag() {
  static const unsigned tag = [] {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    unsigned h = 2166136261u;  // FNV-1a, 32 bits
    for (const char* p = host; *p; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 16777619u;
    return h;
  }();
  return tag;
}

// The folder part of `name` ("." for a bare name) and where its last part starts.
const char* SplitName(const char* name, char* folder, std::size_t folderSize) {
  const char* slash = std::strrchr(name, '/');
  if (!slash) {
    std::snprintf(folder, folderSize, ".");
    return name;
  }
  const int length = slash == name ? 1 : static_cast<int>(slash - name);
  std::snprintf(folder, folderSize, "%.*s", length, name);
  return slash + 1;
}

// Creates a temporary file next to `name` under a name no other process can
// hold (O_EXCL): ".NAME.PID.HOST.SALT.tmp". Returns its descriptor, or -1 with
// errno set.
int CreateTemporary(const char* name, char* tmp, std::size_t tmpSize) {
  static unsigned counter = 0;
  const char* slash = std::strrchr(name, '/');
  const int dirLength = slash ? static_cast<int>(slash - name + 1) : 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const unsigned salt = static_cast<unsigned>(now.tv_nsec) ^ (++counter * 2654435761u);
    const int n = std::snprintf(tmp, tmpSize, "%.*s.%s.%ld.%08x.%08x.tmp", dirLength, name, name + dirLength,
                                static_cast<long>(::getpid()), HostTag(), salt);
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

// Exactly eight hex digits at `p`: their value, and the character after them.
const char* Hex8(const char* p, unsigned& value) {
  value = 0;
  for (int i = 0; i < 8; ++i, ++p) {
    const char c = *p;
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return nullptr;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return p;
}

// The writer's process of a temporary file of `base` named `entry`, or 0 when
// the entry is not one, or is one of another machine. Earlier versions left
// ".NAME.PID.SALT.tmp", without the machine.
long LeftoverOwner(const char* entry, const char* base, std::size_t baseLength) {
  if (entry[0] != '.' || std::strncmp(entry + 1, base, baseLength) != 0 || entry[1 + baseLength] != '.')
    return 0;
  const char* p = entry + 2 + baseLength;
  long pid = 0;
  const char* digits = p;
  while (*p >= '0' && *p <= '9' && p - digits < 10) pid = pid * 10 + (*p++ - '0');
  if (p == digits || *p != '.' || pid <= 0 || pid > INT_MAX) return 0;
  unsigned first = 0, salt = 0;
  p = Hex8(p + 1, first);
  if (!p) return 0;
  if (std::strcmp(p, ".tmp") == 0) return pid;
  if (*p != '.' || first != HostTag()) return 0;
  p = Hex8(p + 1, salt);
  return p && std::strcmp(p, ".tmp") == 0 ? pid : 0;
}

}  // namespace

void RemoveLeftovers(const char* name) {
  char folder[PATH_MAX];
  const char* base = SplitName(name, folder, sizeof folder);
  const std::size_t baseLength = std::strlen(base);
  if (baseLength == 0) return;
  DIR* dir = ::opendir(folder);
  if (!dir) return;
  const int dirFd = ::dirfd(dir);
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(dir)) {
    const long pid = LeftoverOwner(entry->d_name, base, baseLength);
    if (pid == 0 || pid == self) continue;
    // A process of another user answers EPERM: it exists.
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat st;
    if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    ::unlinkat(dirFd, entry->d_name, 0);
  }
  ::closedir(dir);
}

void PreparedFile::Fail(const InOutError& error, bool inPlace, Left left) {
  Discard();
  throw WholeFileError(error, inPlace, left);
}

void PreparedFile::Prepare(const char* name, const char* data, std::size_t size,
                           const WholeFileOptions& options) {
  Discard();
  options_ = options;
  data_ = data;
  size_ = size;
  if (std::strlen(name) >= sizeof name_)
    Fail(CannotCreateFile(name, SystemErrorText(ENAMETOOLONG), ENAMETOOLONG), false, Left::Untouched);
  std::strcpy(name_, name);

  bool exists = false;
  mode_t mode = 0;
  struct stat st;
  if (::lstat(name, &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      // Opening a FIFO or a device could block or do harm; a folder or such
      // is never replaced by a file.
      if (S_ISDIR(st.st_mode))
        Fail(CannotCreateFile(AbsolutePath(name), SystemErrorText(EISDIR), EISDIR), false, Left::Untouched);
      if (!S_ISREG(st.st_mode))
        Fail(CannotCreateFile(AbsolutePath(name), "это не обычный файл"), false, Left::Untouched);
      // A write-protected file stays protected, though the folder would take
      // its replacement.
      if (options.refuseReadOnly && ::faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) != 0) {
        const int code = ErrorCode();
        Fail(CannotCreateFile(AbsolutePath(name), SystemErrorText(code), code), false, Left::Untouched);
      }
      exists = true;
      mode = st.st_mode & 07777;
    }
  } else if (errno != ENOENT) {
    const int code = ErrorCode();
    Fail(CannotCreateFile(AbsolutePath(name), SystemErrorText(code), code), false, Left::Untouched);
  }

  RemoveLeftovers(name);
  const int fd = CreateTemporary(name, tmp_, sizeof tmp_);
  if (fd < 0) {
    const int code = ErrorCode();
    tmp_[0] = '\0';
    if (exists && options.inPlace && (code == EACCES || code == EPERM)) return PrepareInPlace();
    Fail(CannotCreateFile(AbsolutePath(name), SystemErrorText(code), code), false, Left::Untouched);
  }
  state_ = State::Temporary;
  // The replacement keeps the permissions the user gave the old file.
  if (exists) (void)::fchmod(fd, mode);
  int failure = WriteAll(fd, data, size);
  errno = 0;
  if (failure == 0 && ::fsync(fd) != 0) failure = ErrorCode();
  errno = 0;
  if (::close(fd) != 0 && failure == 0) failure = ErrorCode();
  if (failure != 0) Fail(IoError(failure, AbsolutePath(name), false), false, Left::Untouched);
}

void PreparedFile::PrepareInPlace() {
  int fd = ::open(name_, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  canRestore_ = fd >= 0;
  // A file that may be written but not read is rewritten all the same, with
  // nothing to put back should that fail.
  if (fd < 0 && errno == EACCES) fd = ::open(name_, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = ErrorCode();
    Fail(CannotCreateFile(AbsolutePath(name_), SystemErrorText(code), code), false, Left::Untouched);
  }
  fd_ = fd;
  state_ = State::InPlace;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
    Fail(CannotCreateFile(AbsolutePath(name_), "это не обычный файл"), false, Left::Untouched);

  // Overlapping writers take turns; one that holds the file for long (or a
  // stranger's lock) ends the run instead of hanging it.
  for (int wait = 0;; ++wait) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) break;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) break;  // no locks here (some network folders)
    if (wait == 500)
      Fail(CannotCreateFile(AbsolutePath(name_), "файл занят другой программой"), true, Left::Untouched);
    const timespec pause{0, 10 * 1000 * 1000};
    ::nanosleep(&pause, nullptr);
  }
  if (::fstat(fd_, &st) != 0) st.st_size = 0, st.st_blocks = 0;
  oldSize_ = static_cast<long long>(st.st_size);

  // What cannot be written whole is refused before the file is touched.
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size_ > limit.rlim_cur)
    Fail(IoError(EFBIG, AbsolutePath(name_), false), true, Left::Untouched);
  const unsigned long long held = static_cast<unsigned long long>(st.st_blocks) * 512u;
  struct statvfs disk;
  if (size_ > held && ::fstatvfs(fd_, &disk) == 0) {
    const unsigned long long blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    if (size_ - held > blocks * disk.f_frsize)
      Fail(IoError(ENOSPC, AbsolutePath(name_), false), true, Left::Untouched);
  }
  if (canRestore_) {
    old_.resize(static_cast<std::size_t>(
        std::min<unsigned long long>(size_, static_cast<unsigned long long>(oldSize_))));
    if (const int failure = ReadAllAt(fd_, old_.data(), old_.size(), 0))
      Fail(IoError(failure, AbsolutePath(name_), true), true, Left::Untouched);
  }
}

bool PreparedFile::Commit() {
  if (state_ == State::InPlace) {
    CommitInPlace();
    return true;
  }
  if (state_ != State::Temporary) return false;
  if (options_.onlyNew) {
    // link() refuses an existing name where rename() would replace it.
    const int status = ::link(tmp_, name_);
    const int code = ErrorCode();
    if (status == 0 || code == EEXIST) {
      Discard();
      return status == 0;
    }
    Fail(IoError(code, AbsolutePath(name_), false), false, Left::Untouched);
  }
  const bool undo = options_.hooks && options_.hooks->BeforeReplace(name_);
  errno = 0;
  if (::rename(tmp_, name_) != 0) {
    const int code = ErrorCode();
    if (undo) options_.hooks->Undo(name_);
    // The name became a folder meanwhile.
    if (code == EISDIR || code == ENOTDIR)
      Fail(CannotCreateFile(AbsolutePath(name_), SystemErrorText(code), code), false, Left::Untouched);
    Fail(IoError(code, AbsolutePath(name_), false), false, Left::Untouched);
  }
  tmp_[0] = '\0';
  state_ = State::Empty;
  return true;
}

void PreparedFile::CommitInPlace() {
  int failure = WriteAllAt(fd_, data_, size_, 0);
  errno = 0;
  if (failure == 0 && ::ftruncate(fd_, static_cast<off_t>(size_)) != 0) failure = ErrorCode();
  const bool truncated = failure == 0;
  errno = 0;
  if (failure == 0 && ::fsync(fd_) != 0) failure = ErrorCode();
  if (failure == 0) {
    Discard();
    return;
  }
  // Put the old bytes back; a tail already cut off is lost.
  Left left = Left::Damaged;
  if (canRestore_ && (!truncated || oldSize_ <= static_cast<long long>(size_)) &&
      WriteAllAt(fd_, old_.data(), old_.size(), 0) == 0 &&
      ::ftruncate(fd_, static_cast<off_t>(oldSize_)) == 0 && ::fsync(fd_) == 0)
    left = Left::Restored;
  Fail(IoError(failure, AbsolutePath(name_), false), true, left);
}

void PreparedFile::Discard() {
  if (state_ == State::Temporary && tmp_[0] != '\0') ::unlink(tmp_);
  if (fd_ >= 0) ::close(fd_);  // which also ends the lock
  fd_ = -1;
  tmp_[0] = '\0';
  old_.clear();
  canRestore_ = false;
  state_ = State::Empty;
}

void CommitTogether(PreparedFile* const files[], std::size_t count) {
  try {
    for (const bool inPlace : {true, false})
      for (std::size_t i = 0; i < count; ++i)
        if (files[i]->Pending() && files[i]->RewritesInPlace() == inPlace) files[i]->Commit();
  } catch (...) {
    for (std::size_t i = 0; i < count; ++i) files[i]->Discard();
    throw;
  }
}

void ReplaceWholeFile(const char* name, const char* data, std::size_t size, const WholeFileOptions& options) {
  PreparedFile file;
  file.Prepare(name, data, size, options);
  file.Commit();
}

std::string ReadRegularFile(const std::string& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw CannotOpenFile(path);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) throw CannotOpenFile(path);
  const std::string tooLarge =
      "Файл " + path + " слишком велик (больше " +
      (limit % (1 << 20) == 0 ? std::to_string(limit >> 20) + " МБ" : std::to_string(limit) + " байт") + ")";
  if (static_cast<unsigned long long>(st.st_size) > limit) throw InOutError(tooLarge);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw IoError(errno, path, true);
    if (n == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(n));
    // The file may grow while it is read.
    if (bytes.size() > limit) throw InOutError(tooLarge);
  }
}
