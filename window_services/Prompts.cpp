#include "window_services/Prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace prompts {
namespace {

Script* current = nullptr;

QString FollowedByWorkingDirectory(const QString& chosen) {
  if (!chosen.isEmpty()) QDir::setCurrent(QFileInfo(chosen).absolutePath());
  return chosen;
}

}  // namespace

void SetScript(Script* script) { current = script; }

QMessageBox::StandardButton Confirm(QWidget* parent, const QString& text) {
  if (current && current->confirm) return current->confirm(text);
  return QMessageBox::question(parent, QStringLiteral("Confirm"), text,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
}

void Error(QWidget* parent, const QString& text) {
  if (current && current->error) {
    current->error(text);
    return;
  }
  QMessageBox::critical(parent, QStringLiteral("ReactOpt"), text);
}

QString OpenFileName(QWidget* parent, const QString& filter) {
  if (current && current->openFileName) return FollowedByWorkingDirectory(current->openFileName());
  // The dialog does not insist that the file exists: a name typed for a
  // missing file reaches the document window, which reports it.
  QFileDialog dialog(parent, QStringLiteral("Open"), QDir::currentPath(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Open"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return FollowedByWorkingDirectory(dialog.selectedFiles().front());
}

QString SaveFileName(QWidget* parent, const QString& filter, const QString& preset) {
  if (current && current->saveFileName) return FollowedByWorkingDirectory(current->saveFileName(preset));
  return FollowedByWorkingDirectory(QFileDialog::getSaveFileName(
      parent, QStringLiteral("Save As"), preset.isEmpty() ? QDir::currentPath() : preset, filter, nullptr,
      QFileDialog::DontConfirmOverwrite));
}

QString SaveImageFileName(QWidget* parent, const QString& preset) {
  if (current && current->saveImageFileName) return current->saveImageFileName(preset);
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Chart As"),
                                      preset.isEmpty() ? QDir::currentPath() : preset,
                                      QStringLiteral("PNG Images (*.png);;All Files (*)"));
}

QStringList TaskFileNames(QWidget* parent) {
  if (current && current->taskFileNames) return current->taskFileNames();
  return QFileDialog::getOpenFileNames(parent, QStringLiteral("Task Files"), QDir::currentPath(),
                                       QStringLiteral("Task Files (*.toml);;All Files (*)"));
}

QString FolderName(QWidget* parent, const QString& title, const QString& start) {
  if (current && current->folderName) return current->folderName(start);
  return QFileDialog::getExistingDirectory(parent, title, start);
}

bool Print(QWidget* parent, QPrinter& printer) {
  if (current && current->print) return current->print(printer);
  QPrintDialog dialog(&printer, parent);
  // Only whole documents are printed.
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  return dialog.exec() == QDialog::Accepted;
}

void PrinterSetup(QWidget* parent, QPrinter& printer) {
  if (current && current->printerSetup) {
    current->printerSetup(printer);
    return;
  }
  QPageSetupDialog dialog(&printer, parent);
  dialog.exec();
}

bool ChooseFont(QWidget* parent, QFont& font) {
  if (current && current->chooseFont) return current->chooseFont(font);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, font, parent, QStringLiteral("Font"));
  if (ok) font = chosen;
  return ok;
}

}  // namespace prompts
