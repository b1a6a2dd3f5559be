#include "SchemeTask.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <new>
#include <stdexcept>
#include <utility>

#include "base/Errors.h"
#include "base/WholeFile.h"
#include "data_dialog/SchemeDataForm.h"
#include "result_windows/DocumentText.h"
#include "result_windows/MDIEdit.h"
#include "solvers/Report.h"
#include "window_services/Prompts.h"

namespace {

// As reactopt-batch takes a task file: a scheme fits in far less.
constexpr std::size_t kTaskFileLimit = 1 << 20;

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<std::string> NamesOf(const schemes::Scheme& scheme) {
  std::vector<std::string> names;
  for (const schemes::Parameter& p : scheme.parameters) names.push_back(p.name);
  return names;
}

// The line of a fault selected, so that the teacher sees where to mend the
// file.
void MarkFault(TEditForm& window, int line) {
  const QTextBlock block = window.Memo1->document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  window.Memo1->setTextCursor(cursor);
}

}  // namespace

TSchemeTask::TSchemeTask(QWidget* frame) : frame_(frame) {}

void TSchemeTask::Select(TEditForm* window, const QString& path) {
  window_ = window;
  path_ = QFileInfo(path).absoluteFilePath();
}

void TSchemeTask::Clear() {
  window_ = nullptr;
  path_.clear();
}

int TSchemeTask::NextNumber() { return ++numbers_[Stem()]; }

void TSchemeTask::ResetNumbers() { numbers_.clear(); }

QString TSchemeTask::Stem() const {
  const QString name = QFileInfo(path_).fileName();
  return name.left(name.size() - 5);
}

TSchemeDataForm* TSchemeTask::Dialog() const { return dialog_; }

void TSchemeTask::ShowError(const QString& text) const { prompts::Error(frame_, text); }

std::optional<schemes::Scheme> TSchemeTask::Parse(std::string* parsed) {
  std::string text;
  try {
    // The text in the window is what runs, saved or not: the teacher tries an
    // edit before keeping it.
    if (window_)
      text = doctext::EncodeUtf8(window_->Text(), false).toStdString();
    else
      text = ReadRegularFile(QFile::encodeName(path_).toStdString(), kTaskFileLimit);
    schemes::Scheme scheme = schemes::ParseScheme(text, path_.toStdString());
    if (parsed) *parsed = std::move(text);
    return scheme;
  } catch (const schemes::SchemeError& e) {
    if (window_) MarkFault(*window_, e.line);
    ShowError(Utf8(e.what()));
  } catch (const std::bad_alloc&) {
    ShowError(QStringLiteral("Недостаточно памяти для чтения задачи"));
  } catch (const std::exception& e) {
    ShowError(Utf8(e.what()));
  }
  return std::nullopt;
}

void TSchemeTask::EditData() {
  const std::optional<schemes::Scheme> scheme = Parse();
  if (!scheme) return;
  QList<TSchemeField> fields;
  for (const schemes::Parameter& p : scheme->parameters) {
    TSchemeField field{Utf8(p.label), {}, p.offered.front()};
    for (const std::string& text : p.offeredTexts) field.offered << Utf8(text);
    fields << field;
  }
  if (!dialog_) {
    dialog_ = new TSchemeDataForm(frame_);
    QObject::connect(dialog_, &QDialog::accepted, dialog_, [this] { confirmedValues_ = dialog_->Values(); });
  }
  // Showing the dialog puts the defaults back until its OK, as the built-in
  // tasks' dialog does.
  confirmedPath_ = path_;
  confirmedNames_ = NamesOf(*scheme);
  confirmedValues_.clear();
  dialog_->Prepare(QFileInfo(path_).fileName(), fields);
  dialog_->open();
}

std::optional<schemes::SchemeRun> TSchemeTask::Run() {
  const std::optional<schemes::Scheme> scheme = Parse();
  if (!scheme) return std::nullopt;
  try {
    schemes::SchemeRun run = schemes::RunScheme(*scheme, RunValues(*scheme));
    // The report is written whole, as every run writes it.
    ReplaceWholeFile(kReportFileName, run.report.data(), run.report.size());
    return run;
  } catch (const std::bad_alloc&) {
    ShowError(QStringLiteral("Недостаточно памяти для расчёта"));
  } catch (const std::exception& e) {
    // Data the scheme cannot take, or a report that cannot be written.
    ShowError(Utf8(e.what()));
  }
  return std::nullopt;
}

std::vector<double> TSchemeTask::RunValues(const schemes::Scheme& scheme) const {
  // Values confirmed for this file stand while its parameters stay those
  // they were confirmed for; an edit that changes them runs the defaults.
  const bool confirmed =
      confirmedPath_ == path_ && confirmedNames_ == NamesOf(scheme) && !confirmedValues_.empty();
  return confirmed ? confirmedValues_ : schemes::ValuesWithDefaults(scheme, {});
}

std::optional<teaching::StudyRequest> TSchemeTask::StudyTask() {
  teaching::StudyRequest task;
  const std::optional<schemes::Scheme> scheme = Parse(&task.scheme);
  if (!scheme) return std::nullopt;
  task.code = 0;
  task.schemeName = QFileInfo(path_).fileName().toStdString();
  for (double v : RunValues(*scheme)) task.values.emplace_back(v);
  return task;
}
