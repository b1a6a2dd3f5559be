#pragma once
// Files that are replaced whole: the new contents go to a temporary file in the
// same folder, which is then renamed over the old name. A reader, another
// process writing the same name, or a failure at any moment (a full disk, a
// killed process) therefore finds the old file or the new one, never a mix.

#include <cstddef>

// Writes `size` bytes of `data` as the file `name`; nothing is allocated on
// success. Refuses with "Cannot create file <name>", leaving everything as it
// is, a name that is a folder, a FIFO or another special file, and an existing
// file the user may not write. A symbolic link is replaced itself, never
// followed. Where the folder takes no new file, an existing regular file is
// rewritten in place instead. Other failures raise "I/O error <errno>"; the
// temporary file is removed on every failure.
void ReplaceWholeFile(const char* name, const char* data, std::size_t size);
