#include "GuiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

TempWorkingDir::TempWorkingDir() : old_(QDir::currentPath()) {
  QDir::setCurrent(dir_.path());
}

TempWorkingDir::~TempWorkingDir() { QDir::setCurrent(old_); }

void TempWorkingDir::CopyDataFile() const {
  QFile::remove(Path(QStringLiteral("DataFile.dat")));
  QFile::copy(QStringLiteral(REACTOPT_TASKS_DIR "/DataFile.dat"), Path(QStringLiteral("DataFile.dat")));
}

ScriptedPrompts::ScriptedPrompts() {
  script_.confirm = [this](const QString& text) {
    confirmations << text;
    if (confirmAnswers.empty()) {
      QTest::qFail("unexpected question", __FILE__, __LINE__);
      return QMessageBox::Cancel;
    }
    const auto answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
  };
  script_.error = [this](const QString& text) { errors << text; };
  script_.openFileName = [this]() {
    if (openAnswers.empty()) return QString();
    const QString answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
  };
  script_.saveFileName = [this](const QString&) {
    if (saveAnswers.empty()) return QString();
    const QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
  };
  prompts::SetScript(&script_);
}

ScriptedPrompts::~ScriptedPrompts() { prompts::SetScript(nullptr); }

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
