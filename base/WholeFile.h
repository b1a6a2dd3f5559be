#pragma once
// Files that are replaced whole: the new contents go to a temporary file in the
// same folder, which is then renamed over the old name. A reader, another
// process writing the same name, or a failure at any moment (a full disk, a
// killed process) therefore finds the old file or the new one, never a mix.
//
// A folder that takes no new file still lets its writable files be rewritten
// in place. There overlapping writers take turns (an advisory lock on the
// file), a file the size limit or the free space cannot hold is refused before
// it is touched, and a write that fails puts the old contents back; only a
// crash between the first byte written and the last can still leave a mix.

#include <climits>
#include <cstddef>
#include <string>

#include "base/Errors.h"

// A failed whole-file write; the file keeps its old contents unless
// FileLeft() says otherwise.
class WholeFileError : public InOutError {
 public:
  enum class Left { Untouched, Restored, Damaged };
  WholeFileError(const InOutError& error, bool inPlace, Left left)
      : InOutError(error), inPlace_(inPlace), left_(left) {}
  // The failure came while the file was being rewritten in place (its folder
  // takes no new file), after it was opened for that.
  bool InPlace() const { return inPlace_; }
  Left FileLeft() const { return left_; }

 private:
  bool inPlace_;
  Left left_;
};

// What a caller does around the moment the new file takes the name.
class WholeFileHooks {
 public:
  virtual ~WholeFileHooks() = default;
  // Runs when the new contents are complete on disk, just before they take the
  // name (not for a rewrite in place); the document window moves the old
  // version aside as its backup here. True when Undo has something to put back.
  virtual bool BeforeReplace(const char* name) = 0;
  // Puts back what BeforeReplace did, when the new file could not take the name.
  virtual void Undo(const char* name) = 0;
};

struct WholeFileOptions {
  // Where the folder takes no new file, rewrite an existing regular file in place.
  bool inPlace = true;
  // Leave a file the user may not write alone, though its folder would take
  // the replacement.
  bool refuseReadOnly = true;
  // Only create: a name that exists when the file is committed is left as it
  // is (Commit returns false).
  bool onlyNew = false;
  WholeFileHooks* hooks = nullptr;
};

// One file written in two steps, so that several can be written together:
// Prepare does everything that can fail for want of room or rights (the whole
// new file on disk beside its name, or, for a rewrite in place, the lock and
// the room checked), Commit gives the new contents the name. Nothing is
// allocated on the way of a temporary file.
class PreparedFile {
 public:
  PreparedFile() = default;
  ~PreparedFile() { Discard(); }
  PreparedFile(const PreparedFile&) = delete;
  PreparedFile& operator=(const PreparedFile&) = delete;

  // Prepares `size` bytes of `data` as the new contents of `name`; for a
  // rewrite in place `data` must stay valid until Commit. Refuses (with
  // "Cannot create file ...", leaving everything as it is) a name that is a
  // folder, a FIFO or another special file, and, unless the options allow it,
  // an existing file the user may not write. A symbolic link is replaced
  // itself, never followed. Temporary files that runs on this machine left
  // beside `name` when they were killed are removed first. Throws
  // WholeFileError; nothing is left behind then.
  void Prepare(const char* name, const char* data, std::size_t size, const WholeFileOptions& options = {});
  // Gives the prepared contents the name. False only for `onlyNew` when the
  // name was taken meanwhile. Throws WholeFileError.
  bool Commit();
  // Drops what Prepare made; the file stays as it was.
  void Discard();

  bool Pending() const { return state_ == State::Temporary || state_ == State::InPlace; }
  // Whether Commit still writes the contents (and so can still fail for want
  // of room) rather than only renaming.
  bool RewritesInPlace() const { return state_ == State::InPlace; }

 private:
  friend void CommitTogether(PreparedFile* const files[], std::size_t count);
  // Replaced: the new contents have the name, the old ones are kept (under
  // the temporary name, or in memory for a rewrite in place) until Keep or
  // Revert.
  enum class State { Empty, Temporary, InPlace, Replaced };
  void PrepareInPlace();
  void CommitInPlace();
  // Commit that keeps the old contents for Revert.
  void Replace();
  // Puts the old contents back under the name; false when that failed.
  bool Revert();
  // Drops the old contents Replace kept.
  void Keep();
  [[noreturn]] void Fail(const InOutError& error, bool inPlace, WholeFileError::Left left);

  State state_ = State::Empty;
  char name_[PATH_MAX] = {};
  char tmp_[PATH_MAX + 64] = {};
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  WholeFileOptions options_;
  // The locked file of a rewrite in place, its old size and the old bytes the
  // new contents overwrite (to put back if writing fails).
  int fd_ = -1;
  long long oldSize_ = 0;
  bool canRestore_ = false;
  std::string old_;
  // After Replace: the name had no file before, the old file is under tmp_,
  // a rewrite in place.
  bool wasNew_ = false;
  bool oldAside_ = false;
  bool replacedInPlace_ = false;
  bool undo_ = false;
};

// Commits prepared files together: the rewrites in place, which write and so
// can still fail, first, then the renames, which need no room. Each old file
// is kept aside until every new one has its name; when one fails, those
// already replaced get their old contents back and the rest are discarded.
// Only a process killed between the renames can leave some files new and the
// others old (the old ones then lie beside them as temporary files, removed
// by the next writer).
void CommitTogether(PreparedFile* const files[], std::size_t count);

// One file of a set written into a folder together.
struct FolderFile {
  std::string name;  // a plain name, no folder
  const char* data;
  std::size_t size;
};

// Writes `count` files into the folder `folder` (created when missing, a
// link to a folder followed) as one set, for readers and a failure at any
// moment alike:
// - When the folder holds nothing but files whose names `ours` accepts (an
//   earlier set, or nothing), and is not the working folder or one above it,
//   the set is written into a new folder beside it, which then takes its
//   place at once; the old set goes with the old folder. The folder holds the
//   old set or the new one, whole, whatever fails or is killed.
// - A folder that holds other files too, or whose parent takes no new folder,
//   has the files committed together within it (CommitTogether); other files
//   stay as they are, and only a kill between the renames can leave some
//   files new and the others old.
// Writers of one folder take turns (a lock on the folder above it). A file of
// the set that the user may not replace (a folder, a special file, a
// write-protected or immutable file, another user's in a sticky folder) stops
// the write before anything changes. Throws InOutError naming the file.
void WriteFilesTogether(const std::string& folder, const FolderFile files[], std::size_t count,
                        bool (*ours)(const std::string& name));

// Writes `size` bytes of `data` as the file `name`, whole: Prepare and Commit.
void ReplaceWholeFile(const char* name, const char* data, std::size_t size,
                      const WholeFileOptions& options = {});

// The bytes of the regular file `path` when there are at most `limit` of
// them. A FIFO, a device or a folder is refused at once, without waiting on
// it. Throws InOutError naming the path.
std::string ReadRegularFile(const std::string& path, std::size_t limit);

// Removes the temporary files beside `name` that writers on this machine left
// when they were killed (their process no longer exists); those of running
// writers and of other machines stay.
void RemoveLeftovers(const char* name);

// Writes all `size` bytes at `p` to `fd`, again after an interrupted or short
// write. Returns 0, or the error code of the failed write (`unexplained` when
// the system gives none; 101 is the run-time's "disk write error").
int WriteAll(int fd, const char* p, std::size_t size, int unexplained = 101);
