#include <QApplication>
#include <clocale>
#include <cstring>
#include <iostream>

#include "SpeedIcons.h"
#include "Startup.h"
#include "workspace/Workspace.h"

namespace {

bool Asked(int argc, char** argv, const char* option) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], option) == 0) return true;
  return false;
}

void PrintHelp() {
  std::cout << workspace::kStartUsage << "\n"
            << "  --workspace  work in the workspace (~/ReactOpt or $REACTOPT_WORKSPACE) wherever started\n"
            << "  --version    print the version and exit\n";
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before the toolkit starts, so they work without a display.
  if (Asked(argc, argv, "--version")) {
    std::cout << "reactopt " << REACTOPT_VERSION << "\n";
    return 0;
  }
  if (Asked(argc, argv, "--help") || Asked(argc, argv, "-h")) {
    PrintHelp();
    return 0;
  }
  QApplication app(argc, argv);  // takes the toolkit's own options out of argv
  const workspace::StartOptions options =
      workspace::ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options.bad.empty()) {
    std::cerr << "reactopt: unknown argument " << options.bad << "\n" << workspace::kStartUsage << "\n";
    return 2;
  }
#ifdef REACTOPT_APP_ID
  QApplication::setDesktopFileName(QStringLiteral(REACTOPT_APP_ID));
#endif
  QApplication::setWindowIcon(ProgramIcon());
  // Numbers are written and read with a decimal point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");

  // Before any window: Open and Run work in the folder chosen here.
  const workspace::StartFolder start =
      workspace::EnterWorkspace(workspace::RunningProgram(argc > 0 ? argv[0] : nullptr), options.workspace);
  if (!start.problem.empty()) std::cerr << "reactopt: " << start.problem << "\n";

  TProgramWindows windows(QString::fromStdString(start.problem));
  return app.exec();
}
