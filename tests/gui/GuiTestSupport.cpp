#include "GuiTestSupport.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <csignal>

#include "Files.h"
#include "result_windows/ChartOpt.h"

ScriptedPrompts::ScriptedPrompts() {
  script.confirm = [this](const QString& text) {
    confirmTexts << text;
    return confirmAnswers.isEmpty() ? QMessageBox::Cancel : confirmAnswers.takeFirst();
  };
  script.error = [this](const QString& text) { errors << text; };
  script.openFileName = [this]() { return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst(); };
  script.saveFileName = [this](const QString& preset) {
    savePresets << preset;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
  };
  prompts::SetScript(&script);
}

ScriptedPrompts::~ScriptedPrompts() { prompts::SetScript(nullptr); }

QStringList TempWorkDir::entries() const {
  return QDir(dir_.path())
      .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void TempWorkDir::CopyDataFile() const {
  QFile::remove(path(QStringLiteral("DataFile.dat")));
  QFile::copy(QStringLiteral(REACTOPT_TASKS_DIR "/DataFile.dat"), path(QStringLiteral("DataFile.dat")));
}

QByteArray ReadBytes(const QString& path) {
  const std::string name = QFile::encodeName(path).toStdString();
  if (!QFileInfo(path).isFile()) return QByteArray("<missing>");
  return QByteArray::fromStdString(ReadFile(name));
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QVERIFY(WriteFile(QFile::encodeName(path).toStdString(), bytes.toStdString()));
}

void SetMode(const QString& path, int mode) { ::chmod(QFile::encodeName(path).constData(), mode); }

void GrantAll(const QString& path) { SetMode(path, QFileInfo(path).isDir() ? 0777 : 0666); }

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  getrlimit(RLIMIT_FSIZE, &old_);
  rlimit limit = old_;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &old_);
  std::signal(SIGXFSZ, oldHandler_);
}

QStringList ShownTexts(TChartOpt& chart) {
  QStringList shown;
  const QRectF inside = chart.chart()->rect();
  for (QGraphicsItem* item : chart.scene()->items()) {
    if (!item->isVisible()) continue;
    QString text;
    if (auto* rich = dynamic_cast<QGraphicsTextItem*>(item))
      text = rich->toPlainText();
    else if (auto* simple = dynamic_cast<QGraphicsSimpleTextItem*>(item))
      text = simple->text();
    else
      continue;
    if (text.isEmpty()) continue;
    text.replace(QChar::Nbsp, u' ')
        .replace(QChar::LineSeparator, u'\n')
        .replace(QChar::ParagraphSeparator, u'\n');
    shown << (inside.contains(item->sceneBoundingRect()) ? text : QStringLiteral("cut: ") + text);
  }
  shown.sort();
  return shown;
}

QStringList WholeChartTexts() {
  QStringList texts = {TChartOpt::kFoot, TChartOpt::kLeftAxisTitle,
                       TChartOpt::kTitleLine1 + "\n" + TChartOpt::kTitleLine2};
  for (int i = 0; i <= 10; ++i)
    texts << QString::number(i / 10.0, 'f', 1) << QString::number(i / 10.0, 'f', 1);
  texts.sort();
  return texts;
}
