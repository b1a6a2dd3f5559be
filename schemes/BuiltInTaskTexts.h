#pragma once
// The bytes of the task files in tasks/, compiled into the core by a source
// generated at build time (cmake/EmbedTaskFiles.cmake).

#include <cstddef>

namespace schemes {

struct EmbeddedTaskFile {
  const char* name;  // "task101.toml", "dimer-tank.toml"; nullptr ends the table
  const char* bytes;
  std::size_t size;
};

// In file-name order, ended by an entry whose name is nullptr.
extern const EmbeddedTaskFile kEmbeddedTaskFiles[];

}  // namespace schemes
