#pragma once
// The teacher's kit outside the window: reading what it needs from the task
// folders, writing its files, and "reactopt-batch --variants".

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "teaching/KitFiles.h"

namespace variants {

inline constexpr const char* kUsage =
    "usage: reactopt-batch --variants N [--seed S] [--range LABEL_OR_INDEX=LO:HI ...] [--tolerance REL] "
    "[--key] [--study-question FIELD[:FACTOR]] [--out DIR] CODE_OR_TASKFILE [CODE_OR_TASKFILE ...]";

// The folder the kit writes into unless told otherwise, in the current folder.
inline constexpr const char* kDefaultFolder = "variants";

// Whether the command line asks for variants.
bool AsksForVariants(const std::vector<std::string>& args);

// `args` are the arguments after the program name. Returns the exit status:
// 0 when the files are written, 2 for bad usage, 1 when the ranges cannot
// give the variants or a file cannot be read or written.
int VariantsMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Reads "DataFile.dat" and the statements zadCODE.txt (Windows-1251) of
// `codes` from `folder`; a file that is not there is taken from `fallback`
// (the installed tasks) instead. Throws InOutError naming the file.
teaching::KitSources ReadKitSources(const std::vector<int>& codes, const std::filesystem::path& folder,
                                    const std::filesystem::path& fallback);

// The bytes of the task file `name` ("DataFile.dat", "zad101.txt") from
// `folder`, or from `fallback` when `folder` has none, letter case ignored.
// A FIFO, a device, a folder, a statement over 64 KB or a data file over
// 1 MiB is refused; throws InOutError naming the file by its absolute path.
std::string ReadTaskFile(const std::string& name, const std::filesystem::path& folder,
                         const std::filesystem::path& fallback);

// The bytes of a task file (UTF-8 TOML) at `path`, at most 1 MiB; a FIFO, a
// device or a folder is refused. Throws InOutError naming the file.
std::string ReadSchemeFile(const std::string& path);

// Writes the files into `folder`, created when missing, as one kit (see
// WriteFilesTogether): a folder holding only kit files is replaced whole, one
// holding other files too gets only the kit's names, committed together.
// Returns the paths written; throws InOutError.
std::vector<std::filesystem::path> WriteKitFiles(const std::vector<teaching::KitFile>& files,
                                                 const std::filesystem::path& folder);

}  // namespace variants
