// The student's workspace: where the program works when started from the menu,
// what it copies there, and what it never touches.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "workspace/Workspace.h"

namespace fs = std::filesystem;
using workspace::EnterWorkspace;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvironmentVariable {
 public:
  explicit EnvironmentVariable(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
  }
  ~EnvironmentVariable() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }
  void Set(const fs::path& value) { setenv(name_, value.c_str(), 1); }
  void Unset() { unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A program "installed" under root/usr, a home folder and a folder without
// tasks to start in, as when the program is started from the menu.
class Workspace : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    root_ = fs::path(dir_) / "root";
    shipped_ = root_ / "usr/share/reactopt/tasks";
    program_ = root_ / "usr/bin/reactopt";
    home_ = fs::path(dir_) / "home";
    start_ = fs::path(dir_) / "start";
    fs::create_directories(shipped_);
    fs::create_directories(program_.parent_path());
    fs::create_directories(home_);
    fs::create_directories(start_);
    Ship("DataFile.dat", "data 1\r\n");
    Ship("zad101.txt", "statement 101\r\n");
    Ship("dimer-tank.toml", "title = \"dimer\"\n");
    Ship("zad102.txt", "statement 102\r\n");
    home.Set(home_);
    chosen.Unset();
    fs::current_path(start_);
  }

  void Ship(const std::string& name, const std::string& text) { WriteFile((shipped_ / name).string(), text); }

  // Starts the program; returns the folder it works in and keeps what it
  // would tell the student.
  fs::path Start(bool workspaceOnly = false) {
    fs::current_path(start_);
    const workspace::StartFolder start = EnterWorkspace(program_, workspaceOnly);
    messages_ = start.problem;
    EXPECT_EQ(fs::current_path(), start.folder);
    return start.folder;
  }

  fs::path Space() const { return home_ / "ReactOpt"; }
  std::string InSpace(const std::string& name) const { return ReadFile((Space() / name).string()); }

  EnvironmentVariable home{"HOME"};
  EnvironmentVariable chosen{"REACTOPT_WORKSPACE"};
  fs::path root_, shipped_, program_, home_, start_;
  std::string messages_;
};

}  // namespace

TEST_F(Workspace, FirstStartCreatesTheWorkspaceFillsItAndStartsThere) {
  EXPECT_EQ(Start(), Space());
  EXPECT_EQ(messages_, "");
  EXPECT_EQ(InSpace("DataFile.dat"), "data 1\r\n");
  EXPECT_EQ(InSpace("zad101.txt"), "statement 101\r\n");
  EXPECT_EQ(InSpace("zad102.txt"), "statement 102\r\n");
  EXPECT_EQ(InSpace("dimer-tank.toml"), "title = \"dimer\"\n");
  // Only the statements, the task file, the data file and the record of the copies.
  EXPECT_EQ(std::distance(fs::directory_iterator(Space()), fs::directory_iterator()), 5);
}

TEST_F(Workspace, AnExistingWorkspaceKeepsTheStudentsFiles) {
  Start();
  WriteFile((Space() / "zad101.txt").string(), "my notes on 101\r\n");
  WriteFile((Space() / "opt.out").string(), "my report");
  WriteFile((Space() / "notes.txt").string(), "mine");
  EXPECT_EQ(Start(), Space());
  EXPECT_EQ(InSpace("zad101.txt"), "my notes on 101\r\n");
  EXPECT_EQ(InSpace("opt.out"), "my report");
  EXPECT_EQ(InSpace("notes.txt"), "mine");
}

TEST_F(Workspace, ANewerPackageAddsNewStatementsAndNeverOverwritesAChangedOne) {
  Start();
  WriteFile((Space() / "zad101.txt").string(), "my version of 101\r\n");
  Ship("zad101.txt", "statement 101, second edition\r\n");
  Ship("zad102.txt", "statement 102, second edition\r\n");
  Ship("zad103.txt", "statement 103\r\n");
  Start();
  EXPECT_EQ(InSpace("zad101.txt"), "my version of 101\r\n");              // changed: kept
  EXPECT_EQ(InSpace("zad102.txt"), "statement 102, second edition\r\n");  // untouched copy: updated
  EXPECT_EQ(InSpace("zad103.txt"), "statement 103\r\n");                  // new: added
  EXPECT_EQ(InSpace("DataFile.dat"), "data 1\r\n");
}

TEST_F(Workspace, FilesTheProgramDidNotCopyAreNeverReplaced) {
  fs::create_directories(Space());
  WriteFile((Space() / "zad101.txt").string(), "brought from elsewhere");
  fs::create_directory(Space() / "zad102.txt");
  fs::create_symlink("/nonexistent", Space() / "DataFile.dat");
  Start();
  EXPECT_EQ(InSpace("zad101.txt"), "brought from elsewhere");
  EXPECT_TRUE(fs::is_directory(Space() / "zad102.txt"));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Space() / "DataFile.dat")));
  // Nor later, when a newer package arrives.
  Ship("zad101.txt", "statement 101, second edition\r\n");
  Start();
  EXPECT_EQ(InSpace("zad101.txt"), "brought from elsewhere");
}

TEST_F(Workspace, AnUnreadableRecordOfCopiesOnlyMakesItMoreCareful) {
  Start();
  WriteFile((Space() / workspace::kManifestName).string(), "garbage\nffff 1 zad102.txt\n");
  Ship("zad102.txt", "statement 102, second edition\r\n");
  Start();
  EXPECT_EQ(InSpace("zad102.txt"), "statement 102\r\n");
}

struct StartCase {
  const char* what;
  std::vector<std::string> files;  // in the folder started in; "name/" is a folder
  bool workspaceOnly;              // started as the menu starts it
  bool staysThere;                 // else it works in the workspace
};

class StartedIn : public Workspace, public ::testing::WithParamInterface<StartCase> {};

// A folder of tasks holds the data file and a statement of a task the program
// knows; anything less is a home folder with a stray file in it.
TEST_P(StartedIn, AFolderOfTasksIsWorkedInAndTheWorkspaceLeftAlone) {
  const StartCase& c = GetParam();
  for (const std::string& name : c.files) {
    if (name.back() == '/')
      fs::create_directory(start_ / name);
    else
      WriteFile((start_ / name).string(), "text");
  }
  EXPECT_EQ(Start(c.workspaceOnly), c.staysThere ? start_ : Space()) << c.what;
  EXPECT_EQ(messages_, "");
  // Worked in as it is: the workspace is not even topped up.
  EXPECT_EQ(fs::exists(Space()), !c.staysThere) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Workspace, StartedIn,
    ::testing::Values(
        StartCase{"data file and a statement", {"DataFile.dat", "zad107.txt"}, false, true},
        StartCase{"letter case does not matter", {"datafile.DAT", "ZAD125.TXT"}, false, true},
        StartCase{"the menu's start", {"DataFile.dat", "zad107.txt"}, true, false},
        StartCase{"a statement alone", {"zad107.txt"}, false, false},
        StartCase{"the data file alone", {"DataFile.dat"}, false, false},
        StartCase{"an assignment, not a statement", {"DataFile.dat", "zadanie.txt"}, false, false},
        StartCase{"no such task", {"DataFile.dat", "zad126.txt", "zad100.txt"}, false, false},
        StartCase{"a folder under a statement's name", {"DataFile.dat", "zad101.txt/"}, false, false}),
    [](const auto& param) { return std::to_string(param.index); });

TEST_F(Workspace, StartedInsideTheWorkspaceItStillReceivesNewStatements) {
  Start();
  Ship("zad103.txt", "statement 103\r\n");
  start_ = Space();
  EXPECT_EQ(Start(), Space());
  EXPECT_EQ(InSpace("zad103.txt"), "statement 103\r\n");
}

TEST_F(Workspace, TheUserChoosesTheFolder) {
  const fs::path lab = fs::path(dir_) / "lab" / "group 3";
  chosen.Set(lab);
  EXPECT_EQ(Start(), lab);
  EXPECT_EQ(ReadFile((lab / "zad101.txt").string()), "statement 101\r\n");
  EXPECT_FALSE(fs::exists(Space()));

  chosen.Set("~/Reactors");
  EXPECT_EQ(Start(), home_ / "Reactors");
  EXPECT_TRUE(fs::exists(home_ / "Reactors" / "zad102.txt"));

  chosen.Set("relative");
  EXPECT_EQ(Start(), start_ / "relative");
}

TEST_F(Workspace, AnUnusableWorkspaceIsNamedAndTheProgramStaysWhereItWasStarted) {
  WriteFile(Space().string(), "a file, not a folder");
  EXPECT_EQ(Start(), start_);
  EXPECT_EQ(messages_, "рабочая папка " + Space().string() +
                           " не является папкой; программа работает в папке " + start_.string());
  EXPECT_EQ(ReadFile(Space().string()), "a file, not a folder");

  fs::remove(Space());
  fs::create_symlink(home_ / "gone", Space());
  EXPECT_EQ(Start(), start_);
  EXPECT_NE(messages_.find(Space().string() + " — ссылка на несуществующий путь"), std::string::npos)
      << messages_;
  EXPECT_FALSE(fs::exists(home_ / "gone"));

  home.Unset();
  EXPECT_EQ(Start(), start_);
  EXPECT_NE(messages_.find("HOME"), std::string::npos) << messages_;
}

TEST_F(Workspace, AnUnwritableWorkspaceIsNamedAndLeftAsItIs) {
  fs::create_directories(Space());
  chmod(dir_.c_str(), 0755);
  chmod(home_.c_str(), 0755);
  chmod(Space().c_str(), 0555);
  // File permissions do not bind root.
  const int status = RunUnprivileged([&] {
    const workspace::StartFolder start = EnterWorkspace(program_, true);
    const bool named =
        start.problem.find("нет права записи в рабочую папку " + Space().string()) != std::string::npos;
    return start.folder == start_ && named && fs::is_empty(Space());
  });
  chmod(Space().c_str(), 0755);
  SKIP_WITHOUT_UNPRIVILEGED_USER(status);
  EXPECT_EQ(status, 0);
}

TEST_F(Workspace, NoShippedStatementsIsSaidButTheWorkspaceIsStillUsed) {
  program_ = fs::path(dir_) / "elsewhere/bin/reactopt";
  EXPECT_EQ(Start(), Space());
  EXPECT_NE(messages_.find("рядом с программой нет условий задач"), std::string::npos) << messages_;
}

TEST(ShippedTasks, AreFoundBesideAnInstalledProgramOrInTheSourceTree) {
  const fs::path sources = fs::path(REACTOPT_TASKS_DIR).parent_path();
  EXPECT_EQ(workspace::ShippedTasksFolder(sources / "build" / "reactopt"),
            fs::path(REACTOPT_TASKS_DIR).lexically_normal());
  EXPECT_EQ(workspace::ShippedTasksFolder(sources / "tasks" / "nothing" / "reactopt"), fs::path());
}

TEST(ShippedTasks, AreFoundThroughTheLinkOfABuildFolderOutsideTheSources) {
  const TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const fs::path build = fs::path(folder.path()) / "elsewhere";
  fs::create_directories(build);
  EXPECT_EQ(workspace::ShippedTasksFolder(build / "reactopt-batch"), fs::path());
  fs::create_directory_symlink(REACTOPT_TASKS_DIR, build / "tasks");
  EXPECT_EQ(workspace::ShippedTasksFolder(build / "reactopt-batch"), fs::canonical(REACTOPT_TASKS_DIR));
}

TEST(ShippedTasks, TheWholeSetIsCopied) {
  const TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const fs::path space = fs::path(folder.path()) / "ReactOpt";
  const auto result = workspace::FillWorkspace(space, REACTOPT_TASKS_DIR);
  std::size_t taskFiles = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(REACTOPT_TASKS_DIR))
    taskFiles += entry.path().extension() == ".toml";
  EXPECT_GE(taskFiles, 27u);  // the 24 built-in tasks' and the examples
  // zad101.txt ... zad125.txt, DataFile.dat and the task files.
  EXPECT_EQ(result.added.size(), 26u + taskFiles);
  for (int code = 101; code <= 125; ++code) {
    const std::string name = "zad" + std::to_string(code) + ".txt";
    EXPECT_EQ(ReadFile((space / name).string()), ReadFile(std::string(REACTOPT_TASKS_DIR) + "/" + name));
  }
  // A second start has nothing to do.
  const auto again = workspace::FillWorkspace(space, REACTOPT_TASKS_DIR);
  EXPECT_TRUE(again.added.empty() && again.updated.empty() && again.kept.empty());
}
