#include "GuiTestSupport.h"

#include <QDir>
#include <QFile>

ScriptedPrompts::ScriptedPrompts() {
  script.confirm = [this](const QString& text) {
    confirmTexts << text;
    return confirmAnswers.isEmpty() ? QMessageBox::Cancel : confirmAnswers.takeFirst();
  };
  script.error = [this](const QString& text) { errors << text; };
  script.openFileName = [this]() {
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
  };
  script.saveFileName = [this](const QString& preset) {
    savePresets << preset;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
  };
  prompts::SetScript(&script);
}

ScriptedPrompts::~ScriptedPrompts() { prompts::SetScript(nullptr); }

TempWorkDir::TempWorkDir() : oldCwd_(QDir::currentPath()) {
  QDir::setCurrent(dir_.path());
}

TempWorkDir::~TempWorkDir() { QDir::setCurrent(oldCwd_); }

QStringList TempWorkDir::entries() const {
  return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void TempWorkDir::CopyDataFile() const {
  QFile::remove(path(QStringLiteral("DataFile.dat")));
  QFile::copy(QStringLiteral(REACTOPT_TASKS_DIR "/DataFile.dat"), path(QStringLiteral("DataFile.dat")));
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
  return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}
