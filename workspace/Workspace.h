#pragma once
// The student's workspace. Started from the desktop menu the program would
// otherwise work in the home folder, where Open finds no tasks and reports land
// among unrelated files; instead it works in a folder of its own, filled with
// copies of the statements installed with the program.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace workspace {

// A workspace that cannot be used; the text names the folder or file and why.
class WorkspaceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What FillWorkspace did, by file name.
struct FillResult {
  std::vector<std::string> added;    // statements that were missing
  std::vector<std::string> updated;  // unchanged copies replaced by a newer version
  std::vector<std::string> kept;     // files the student changed or put there
};

// Name of the record of what was copied into a workspace, with checksums, so a
// later start can tell a copy the student never touched from one they edited.
extern const char* const kManifestName;

// Whether `dir` is a folder of tasks: it holds "DataFile.dat" and at least one
// statement "zadNNN.txt" whose NNN is a task code, letter case ignored. A stray
// zadanie.txt or zad107.txt alone does not make a home folder one. False for a
// folder that cannot be read.
bool IsTaskFolder(const std::filesystem::path& dir);

// The folder of statements shipped with the program at `program` (the path of
// its executable), its links resolved: `../share/reactopt/tasks` beside it
// once installed, the source tree's `tasks/` when it runs from a build folder
// inside the sources, or `tasks/` beside it, the link to the sources' that a
// build folder anywhere else holds. Empty when none holds task files.
std::filesystem::path ShippedTasksFolder(const std::filesystem::path& program);

// The workspace folder: $REACTOPT_WORKSPACE when set (a leading "~" stands for
// $HOME), otherwise $HOME/ReactOpt. Empty when neither variable is set.
std::filesystem::path WorkspaceFolder();

// Creates `folder` when it does not exist and copies in the statements of
// `shipped` that it lacks. A copy the student never changed is replaced by a
// newer version; anything else already there is left exactly as it is. Every
// file is written under a temporary name and moved into place, so an
// interrupted start leaves no partial statement. Throws WorkspaceError.
FillResult FillWorkspace(const std::filesystem::path& folder, const std::filesystem::path& shipped);

// Where the program works, and what the student should be told about it.
struct StartFolder {
  std::filesystem::path folder;
  // Why the workspace is not used or lacks the statements; empty when all is
  // well. One sentence without the program's name.
  std::string problem;
};

// Start-up: chooses the folder the program works in and makes it current.
// Unless `workspaceOnly`, a current folder of tasks (IsTaskFolder) is kept as
// it is and the workspace is not touched; otherwise the workspace is prepared
// (FillWorkspace) and entered. When it cannot be used the program stays in the
// current folder and `problem` says why.
StartFolder EnterWorkspace(const std::filesystem::path& program, bool workspaceOnly);

// The command line of the desktop program, after the toolkit took its own
// options; --version and --help were answered before the toolkit started.
struct StartOptions {
  bool workspace = false;  // --workspace: always the workspace, as the menu starts it
  std::string bad;         // the first argument that is not --workspace
};
StartOptions ParseStartOptions(const std::vector<std::string>& args);
extern const char* const kStartUsage;

// The path of the running executable (from /proc), or `argv0` made absolute.
std::filesystem::path RunningProgram(const char* argv0);

}  // namespace workspace
