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
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using Left = WholeFileError::Left;

// The run-time's "disk write error" when the system gives no code.
int ErrorCode() { return errno != 0 ? errno : 101; }

}  // namespace

int WriteAll(int fd, const char* p, std::size_t left, int unexplained) {
  while (left > 0) {
    errno = 0;
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return errno != 0 ? errno : unexplained;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

namespace {

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

// Gives `a` the file named `b` and `b` the file named `a`, at once; -1 with
// errno ENOSYS where the system has no such call.
int Exchange(const char* a, const char* b) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
  return ::renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE);
#else
  (void)a, (void)b;
  errno = ENOSYS;
  return -1;
#endif
}

// A second name for the file `name` under a temporary name beside it, where
// the system cannot exchange two names: the old file stays reachable while
// the new one takes its name. False with errno set.
bool LinkAside(const char* name, char* aside, std::size_t asideSize) {
  const int fd = CreateTemporary(name, aside, asideSize);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(aside);
  return ::link(name, aside) == 0;
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
    // All of it: a run that fails later on another file puts this one back.
    old_.resize(static_cast<std::size_t>(oldSize_));
    if (const int failure = ReadAllAt(fd_, old_.data(), old_.size(), 0))
      Fail(IoError(failure, AbsolutePath(name_), true), true, Left::Untouched);
  }
}

bool PreparedFile::Commit() {
  if (state_ == State::InPlace) {
    CommitInPlace();
    Discard();
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
  errno = 0;
  if (failure == 0 && ::fsync(fd_) != 0) failure = ErrorCode();
  if (failure == 0) return;
  // Put the old bytes back.
  Left left = Left::Damaged;
  if (canRestore_ && WriteAllAt(fd_, old_.data(), old_.size(), 0) == 0 &&
      ::ftruncate(fd_, static_cast<off_t>(oldSize_)) == 0 && ::fsync(fd_) == 0)
    left = Left::Restored;
  Fail(IoError(failure, AbsolutePath(name_), false), true, left);
}

void PreparedFile::Replace() {
  if (state_ == State::InPlace) {
    CommitInPlace();
    state_ = State::Replaced;
    replacedInPlace_ = true;
    return;
  }
  if (state_ != State::Temporary) return;
  if (options_.onlyNew) {
    if (Commit()) state_ = State::Replaced, wasNew_ = true;
    return;
  }
  undo_ = options_.hooks && options_.hooks->BeforeReplace(name_);
  const auto fail = [this](int code) {
    if (undo_) options_.hooks->Undo(name_);
    undo_ = false;
    // The name became a folder meanwhile.
    if (code == EISDIR || code == ENOTDIR)
      Fail(CannotCreateFile(AbsolutePath(name_), SystemErrorText(code), code), false, Left::Untouched);
    Fail(IoError(code, AbsolutePath(name_), false), false, Left::Untouched);
  };
  errno = 0;
  if (Exchange(tmp_, name_) == 0) {
    // The old file now has the temporary name, to be put back or removed.
    struct stat st;
    if (::lstat(tmp_, &st) == 0 && S_ISDIR(st.st_mode)) {
      (void)Exchange(tmp_, name_);
      fail(EISDIR);
    }
    oldAside_ = true;
  } else if (const int code = ErrorCode(); code == ENOENT || code == EINVAL || code == ENOSYS) {
    // A new name, or a system that cannot exchange: a plain rename, the old
    // file kept under a second name where there is one.
    struct stat st;
    wasNew_ = ::lstat(name_, &st) != 0 && errno == ENOENT;
    char aside[sizeof tmp_];
    oldAside_ = !wasNew_ && LinkAside(name_, aside, sizeof aside);
    errno = 0;
    if (::rename(tmp_, name_) != 0) {
      const int failure = ErrorCode();
      if (oldAside_) ::unlink(aside);
      oldAside_ = wasNew_ = false;
      fail(failure);
    }
    if (oldAside_)
      std::memcpy(tmp_, aside, sizeof aside);
    else
      tmp_[0] = '\0';
  } else {
    fail(code);
  }
  state_ = State::Replaced;
}

bool PreparedFile::Revert() {
  if (state_ != State::Replaced) return true;
  bool restored = false;
  if (replacedInPlace_) {
    restored = canRestore_ && WriteAllAt(fd_, old_.data(), old_.size(), 0) == 0 &&
               ::ftruncate(fd_, static_cast<off_t>(oldSize_)) == 0 && ::fsync(fd_) == 0;
  } else if (oldAside_) {
    restored = ::rename(tmp_, name_) == 0;
    // Failing that, the old file stays under its temporary name.
    tmp_[0] = '\0';
  } else if (wasNew_) {
    restored = ::unlink(name_) == 0;
  }
  if (undo_) options_.hooks->Undo(name_);
  oldAside_ = wasNew_ = replacedInPlace_ = undo_ = false;
  state_ = State::Empty;
  Discard();
  return restored;
}

void PreparedFile::Keep() {
  if (state_ != State::Replaced) return;
  if (oldAside_) ::unlink(tmp_);
  tmp_[0] = '\0';
  oldAside_ = wasNew_ = replacedInPlace_ = undo_ = false;
  state_ = State::Empty;
  Discard();
}

void PreparedFile::Discard() {
  if (state_ == State::Replaced) return Keep();
  if (state_ == State::Temporary && tmp_[0] != '\0') ::unlink(tmp_);
  if (fd_ >= 0) ::close(fd_);  // which also ends the lock
  fd_ = -1;
  tmp_[0] = '\0';
  old_.clear();
  canRestore_ = false;
  state_ = State::Empty;
}

void CommitTogether(PreparedFile* const files[], std::size_t count) {
  const auto revert = [&] {
    bool restored = true;
    for (std::size_t i = count; i-- > 0;)
      if (!files[i]->Revert()) restored = false;
    for (std::size_t i = 0; i < count; ++i) files[i]->Discard();
    return restored;
  };
  try {
    for (const bool inPlace : {true, false})
      for (std::size_t i = 0; i < count; ++i)
        if (files[i]->Pending() && files[i]->RewritesInPlace() == inPlace) files[i]->Replace();
  } catch (const WholeFileError& e) {
    if (!revert()) throw WholeFileError(e, e.InPlace(), Left::Damaged);
    throw;
  } catch (...) {
    revert();
    throw;
  }
  for (std::size_t i = 0; i < count; ++i) files[i]->Keep();
}

namespace {

// Writers of a folder's set take turns: a lock on the folder above it, which
// stays in place while the folder itself is exchanged. -1 when it cannot be
// had (no such rights, no locks there): the write goes on alone.
int LockFolder(const std::string& parent) {
  const int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  // A set of hundreds of megabytes takes seconds; a holder that keeps it a
  // minute is stuck, and the write ends instead of hanging.
  for (int wait = 0; wait < 6000; ++wait) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    const timespec pause{0, 10 * 1000 * 1000};
    ::nanosleep(&pause, nullptr);
  }
  ::close(fd);
  if (errno == EWOULDBLOCK) throw CannotCreateFile(parent, "папка занята другой программой", EWOULDBLOCK);
  return -1;
}

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

// Whether `entry` of a set's folder belongs to the set: one of its names, or
// a temporary file a writer of one of them left.
bool OfTheSet(const char* entry, bool (*ours)(const std::string&)) {
  if (ours(entry)) return true;
  if (entry[0] != '.') return false;
  // ".NAME.PID.HOST.SALT.tmp": NAME is everything before the writer's process.
  const std::string name(entry + 1);
  for (std::size_t dot = name.find('.'); dot != std::string::npos; dot = name.find('.', dot + 1))
    if (ours(name.substr(0, dot)) && LeftoverOwner(entry, name.c_str(), dot) != 0) return true;
  return false;
}

// Removes a set's folder that no longer holds a current set: its files of
// the set, then the folder. Anything else in it is kept: moved into `keepIn`
// when that has no such name, else the folder stays. True when it is gone.
bool RemoveSetFolder(const std::string& folder, bool (*ours)(const std::string&), const std::string& keepIn) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return errno == ENOENT;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (OfTheSet(name.c_str(), ours) && !S_ISDIR(st.st_mode)) {
      ::unlinkat(dirFd, name.c_str(), 0);
    } else if (!keepIn.empty()) {
      const std::string target = keepIn + "/" + name;
      struct stat there;
      if (::lstat(target.c_str(), &there) != 0 && errno == ENOENT)
        ::renameat(dirFd, name.c_str(), AT_FDCWD, target.c_str());
    }
  }
  ::closedir(dir);
  return ::rmdir(folder.c_str()) == 0;
}

// Folders that writers of `base`'s sets left in `parent` when they were
// killed: a new set never finished is removed, an old one set aside goes
// back where `base` is missing.
void RemoveFolderLeftovers(const std::string& parent, const std::string& base,
                           bool (*ours)(const std::string&)) {
  DIR* dir = ::opendir(parent.c_str());
  if (!dir) return;
  std::vector<std::string> found;
  const std::string aside = base + ".old";
  while (const dirent* entry = ::readdir(dir)) {
    const bool isAside = LeftoverOwner(entry->d_name, aside.c_str(), aside.size()) != 0;
    const long pid = isAside ? LeftoverOwner(entry->d_name, aside.c_str(), aside.size())
                             : LeftoverOwner(entry->d_name, base.c_str(), base.size());
    if (pid == 0 || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    found.push_back(entry->d_name);
  }
  ::closedir(dir);
  const std::string path = parent + "/" + base;
  for (const std::string& name : found) {
    const std::string leftover = parent + "/" + name;
    struct stat st;
    if (::lstat(leftover.c_str(), &st) != 0) continue;
    // The file that reserved the new folder's name.
    if (S_ISREG(st.st_mode)) ::unlink(leftover.c_str());
    if (!S_ISDIR(st.st_mode)) continue;
    const bool isAside = LeftoverOwner(name.c_str(), aside.c_str(), aside.size()) != 0;
    if (isAside && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT &&
        ::rename(leftover.c_str(), path.c_str()) == 0)
      continue;
    RemoveSetFolder(leftover, ours, "");
  }
}

// Refuses (before anything changes) a file of the set in `folder` that may
// not be replaced or removed.
void CheckReplaceable(const std::string& folder, const struct stat& folderStat, const std::string& name) {
  const std::string path = folder + "/" + name;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return;
    const int code = ErrorCode();
    throw CannotCreateFile(path, SystemErrorText(code), code);
  }
  if (S_ISLNK(st.st_mode)) return;  // a link is replaced itself
  if (S_ISDIR(st.st_mode)) throw CannotCreateFile(path, SystemErrorText(EISDIR), EISDIR);
  if (!S_ISREG(st.st_mode)) throw CannotCreateFile(path, "это не обычный файл");
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    const int code = ErrorCode();
    throw CannotCreateFile(path, SystemErrorText(code), code);
  }
  const uid_t me = ::geteuid();
  if ((folderStat.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && folderStat.st_uid != me)
    throw CannotCreateFile(path, SystemErrorText(EPERM), EPERM);
}

// Makes a new folder beside `path` for a set: ".BASE.PID.HOST.SALT.tmp".
std::string MakeTemporaryFolder(const std::string& path) {
  char tmp[PATH_MAX + 64];
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = CreateTemporary(path.c_str(), tmp, sizeof tmp);
    if (fd < 0) return "";
    ::close(fd);
    ::unlink(tmp);
    if (::mkdir(tmp, 0777) == 0) return tmp;
    if (errno != EEXIST) return "";
  }
  errno = EEXIST;
  return "";
}

// Writes one file of a set into the new folder; failures name the file as it
// will be called.
void WriteNewFile(const std::string& newFolder, const std::string& finalPath, const FolderFile& file) {
  const std::string path = newFolder + "/" + file.name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int code = ErrorCode();
    throw CannotCreateFile(finalPath, SystemErrorText(code), code);
  }
  int failure = WriteAll(fd, file.data, file.size);
  errno = 0;
  if (failure == 0 && ::fsync(fd) != 0) failure = ErrorCode();
  errno = 0;
  if (::close(fd) != 0 && failure == 0) failure = ErrorCode();
  if (failure != 0) throw IoError(failure, finalPath, false);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// Whether the working folder is `path` or lies inside it: a folder that must
// not be exchanged under the user's feet.
bool HoldsTheWorkingFolder(const std::string& path) {
  char* cwd = ::realpath(".", nullptr);
  if (!cwd) return false;
  const std::string here(cwd);
  std::free(cwd);
  return here == path || path == "/" || here.compare(0, path.size() + 1, path + "/") == 0;
}

// Whether `path` holds nothing but files of the set.
bool HoldsOnlyTheSet(const std::string& path, bool (*ours)(const std::string&)) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return false;
  const int dirFd = ::dirfd(dir);
  bool only = true;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    struct stat st;
    if (!OfTheSet(entry->d_name, ours) || ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) {
      only = false;
      break;
    }
  }
  ::closedir(dir);
  return only;
}

void CommitWithin(const std::string& path, const FolderFile files[], std::size_t count) {
  std::vector<std::unique_ptr<PreparedFile>> prepared;
  std::vector<PreparedFile*> all;
  for (std::size_t i = 0; i < count; ++i) {
    prepared.push_back(std::make_unique<PreparedFile>());
    prepared.back()->Prepare((path + "/" + files[i].name).c_str(), files[i].data, files[i].size);
    all.push_back(prepared.back().get());
  }
  CommitTogether(all.data(), all.size());
}

}  // namespace

void WriteFilesTogether(const std::string& folder, const FolderFile files[], std::size_t count,
                        bool (*ours)(const std::string& name)) {
  const std::string given = AbsolutePath(folder);
  struct stat st;
  bool exists = ::stat(given.c_str(), &st) == 0;
  if (exists && !S_ISDIR(st.st_mode)) throw CannotCreateFile(given, SystemErrorText(ENOTDIR), ENOTDIR);
  if (!exists && errno != ENOENT) {
    const int code = ErrorCode();
    throw CannotCreateFile(given, SystemErrorText(code), code);
  }
  // The folder as the system names it, and the one above it.
  std::string path;
  if (exists) {
    char* real = ::realpath(given.c_str(), nullptr);
    if (!real) {
      const int code = ErrorCode();
      throw CannotCreateFile(given, SystemErrorText(code), code);
    }
    path = real;
    std::free(real);
  } else {
    std::error_code ec;
    const std::filesystem::path wanted = std::filesystem::path(given).lexically_normal();
    std::string base = wanted.filename().string();
    std::filesystem::path above = wanted.parent_path();
    if (base.empty()) base = above.filename().string(), above = above.parent_path();
    std::filesystem::create_directories(above, ec);
    char* real = ec ? nullptr : ::realpath(above.c_str(), nullptr);
    if (!real) {
      const int code = ec ? ec.value() : ErrorCode();
      throw CannotCreateFile(above.string(), SystemErrorText(code), code);
    }
    path = std::string(real) + (std::strcmp(real, "/") == 0 ? "" : "/") + base;
    std::free(real);
  }
  const std::size_t slash = path.rfind('/');
  const std::string parent = slash == 0 ? "/" : path.substr(0, slash), base = path.substr(slash + 1);

  const FdCloser lock{LockFolder(parent)};
  if (!base.empty()) RemoveFolderLeftovers(parent, base, ours);
  exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISDIR(st.st_mode)) throw CannotCreateFile(given, SystemErrorText(ENOTDIR), ENOTDIR);
  if (exists)
    for (std::size_t i = 0; i < count; ++i) CheckReplaceable(path, st, files[i].name);

  // The old folder must let its set be removed once it has stepped aside.
  const bool whole = !base.empty() && !HoldsTheWorkingFolder(path) &&
                     (!exists || (HoldsOnlyTheSet(path, ours) &&
                                  ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0));
  std::string fresh = whole ? MakeTemporaryFolder(path) : "";
  if (fresh.empty()) {
    const int code = ErrorCode();
    if (exists && (!whole || code == EACCES || code == EPERM || code == EROFS))
      return CommitWithin(path, files, count);
    throw CannotCreateFile(given, SystemErrorText(code), code);
  }
  // The old set goes with its folder; every file that goes must be one the
  // user may remove.
  if (exists) {
    DIR* dir = ::opendir(path.c_str());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
      if (ours(entry->d_name)) {
        try {
          CheckReplaceable(path, st, entry->d_name);
        } catch (...) {
          ::closedir(dir);
          ::rmdir(fresh.c_str());
          throw;
        }
      }
    if (dir) ::closedir(dir);
  }
  try {
    for (std::size_t i = 0; i < count; ++i) WriteNewFile(fresh, given + "/" + files[i].name, files[i]);
    if (exists) (void)::chmod(fresh.c_str(), st.st_mode & 07777);
    SyncFolder(fresh);
    errno = 0;
    if (!exists) {
      if (::rename(fresh.c_str(), path.c_str()) != 0) throw IoError(ErrorCode(), given, false);
    } else if (Exchange(fresh.c_str(), path.c_str()) != 0) {
      const int code = ErrorCode();
      if (code == EACCES || code == EPERM || code == EBUSY || code == EXDEV) {
        // The folder itself may not move (another user's in a sticky folder,
        // a mount point): its files are replaced within it instead.
        RemoveSetFolder(fresh, ours, "");
        return CommitWithin(path, files, count);
      }
      if (code != EINVAL && code != ENOSYS) throw IoError(code, given, false);
      // No exchange here: the old folder steps aside for a moment; a kill
      // then leaves it beside, and the next writer puts it back.
      const std::string aside = MakeTemporaryFolder(parent + "/" + base + ".old");
      if (aside.empty() || ::rmdir(aside.c_str()) != 0 || ::rename(path.c_str(), aside.c_str()) != 0)
        throw IoError(ErrorCode(), given, false);
      if (::rename(fresh.c_str(), path.c_str()) != 0) {
        const int failure = ErrorCode();
        ::rename(aside.c_str(), path.c_str());
        throw IoError(failure, given, false);
      }
      fresh = aside;
    }
  } catch (...) {
    RemoveSetFolder(fresh, ours, "");
    throw;
  }
  // `fresh` now holds the old set.
  SyncFolder(parent);
  if (exists) RemoveSetFolder(fresh, ours, path);
}

void ReplaceWholeFile(const char* name, const char* data, std::size_t size, const WholeFileOptions& options) {
  PreparedFile file;
  file.Prepare(name, data, size, options);
  file.Commit();
}

std::string ReadRegularFile(const std::string& path, std::size_t limit) {
  // The run-time's words for the window, a command-line tool's with the
  // system's reason for reactopt-batch.
  const auto cannotOpen = [&](int code, const std::string& reason) {
    return InOutError("Cannot open file " + path, "Cannot open file " + path + ": " + reason, path, code);
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = ErrorCode();
    throw cannotOpen(code, SystemErrorText(code));
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int code = ErrorCode();
    throw cannotOpen(code, SystemErrorText(code));
  }
  if (!S_ISREG(st.st_mode))
    throw cannotOpen(S_ISDIR(st.st_mode) ? EISDIR : 0,
                     S_ISDIR(st.st_mode) ? SystemErrorText(EISDIR) : "это не обычный файл");
  const bool kilobytes = limit % (1 << 20) != 0 && limit % (1 << 10) == 0;
  const std::string size = limit % (1 << 20) == 0 ? std::to_string(limit >> 20) + " МБ"
                           : kilobytes            ? std::to_string(limit >> 10) + " КБ"
                                                  : std::to_string(limit) + " байт";
  const std::string plainSize = limit % (1 << 20) == 0 ? std::to_string(limit >> 20) + " MB"
                                : kilobytes            ? std::to_string(limit >> 10) + " KB"
                                                       : std::to_string(limit) + " bytes";
  const InOutError tooLarge("Файл " + path + " слишком велик (больше " + size + ")",
                            "cannot read " + path + ": file too large (over " + plainSize + ")", path, EFBIG);
  if (static_cast<unsigned long long>(st.st_size) > limit) throw tooLarge;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw IoError(errno, path, true);
    if (n == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(n));
    // The file may grow while it is read.
    if (bytes.size() > limit) throw tooLarge;
  }
}
