#include "MDIEdit.h"

#include <QAction>
#include <QActionGroup>
#include <QChart>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "ChartOpt.h"
#include "DocumentText.h"
#include "TextPrinter.h"
#include "base/WholeFile.h"
#include "solvers/RunOpt.h"
#include "window_services/FrameCalls.h"
#include "window_services/Prompts.h"

namespace {

// Designed geometry of the text area and the chart: the size a result window
// opens at.
constexpr QRect kMemoRect(0, 0, 297, 393);
constexpr QRect kChartRect(296, 0, 353, 393);
// The printed chart, in screen pixels: about as wide as the report's text on
// a page of A4 or Letter, and low enough to go under the longest report on
// an A4 page.
constexpr QSize kPrintedChart(600, 360);
// The narrowest text area of a result window: some twenty characters.
constexpr int kMemoMinWidth = 150;
// The least height of the report over the chart: some eight lines.
constexpr int kStackedMemoMinHeight = 150;

// The window's client area, which has its children placed at every resize.
class TEditClient : public QWidget {
 public:
  explicit TEditClient(QWidget* parent) : QWidget(parent) {}
  std::function<void()> onResize;
  QSize hint{kChartRect.right() + 1, kChartRect.bottom() + 1};
  QSize sizeHint() const override { return hint; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (onResize) onResize();
  }
};

QFont MemoFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(13);
  return font;
}

// The text as the document holds it: block ends are paragraph separators and
// non-breaking spaces stay what they are (toPlainText would turn them into
// blanks, which then would be saved).
QString RawText(const QPlainTextEdit* memo) { return memo->document()->toRawText(); }

QString AbsoluteName(const QString& name) {
  return name.isEmpty() ? name : QFileInfo(name).absoluteFilePath();
}

bool IsReadOnlyFile(const QString& name) {
  const QFileInfo info(name);
  return info.isFile() && !info.isWritable();
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

const QString kTextFilter = QStringLiteral("Text Files (*.txt);;All Files (*)");
const QString kTaskFileFilter = QStringLiteral("Task Files (*.toml);;Text Files (*.txt);;All Files (*)");

// Keeps the previous version as the ".BAK" file once the new text is on disk,
// and puts it back should the new file fail to take the name.
class BackupHook : public WholeFileHooks {
 public:
  explicit BackupHook(const QString& name) : name_(name) {}
  bool BeforeReplace(const char*) override { return TEditForm::MakeBackup(name_); }
  void Undo(const char*) override { QFile::rename(doctext::BackupName(name_), name_); }

 private:
  QString name_;
};

}  // namespace

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
  setFont(MemoFont());
  QPalette pal = palette();
  pal.setColor(QPalette::Text, Qt::black);
  setPalette(pal);
  // The strip between the client area's edge and the text is the text's
  // background, not the window's.
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  setFrameShape(QFrame::NoFrame);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void TMemo::SetTextMargins(int horizontal, int vertical) {
  // The document margin is the same on all sides; the viewport margins add the
  // rest at the left and right.
  if (document()->documentMargin() != vertical) {
    // The margin is a format of the document's root frame: setting it would
    // count as an edit, to be undone and asked about before closing.
    QTextDocument* doc = document();
    const bool modified = doc->isModified();
    const bool undo = doc->isUndoRedoEnabled() && doc->isEmpty() && !doc->isUndoAvailable();
    if (undo) doc->setUndoRedoEnabled(false);
    doc->setDocumentMargin(vertical);
    if (undo) doc->setUndoRedoEnabled(true);
    doc->setModified(modified);
  }
  const int extra = std::max(0, horizontal - vertical);
  setViewportMargins(extra, 0, extra, 0);
}

TEditForm::TEditForm(QWidget* parent) : QMdiSubWindow(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Untitled"));

  auto* client = new TEditClient(this);
  client_ = client;
  Memo1 = new TMemo(client_);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(kMemoRect);
  ChartOpt = new TChartOpt(client_);
  ChartOpt->setObjectName(QStringLiteral("ChartOpt"));
  ChartOpt->setGeometry(kChartRect);
  ChartOpt->hide();
  ExactLabel = new QLabel(client_);
  ExactLabel->setObjectName(QStringLiteral("ExactLabel"));
  ExactLabel->setContentsMargins(6, 3, 6, 3);
  ExactLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  ExactLabel->setAutoFillBackground(true);
  {
    QFont font = MemoFont();
    font.setBold(true);
    ExactLabel->setFont(font);
    QPalette pal = ExactLabel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, QColor(0, 0, 0x90));
    ExactLabel->setPalette(pal);
  }
  ExactLabel->hide();
  client->onResize = [this] { PlaceChildren(); };
  client_->setFocusProxy(Memo1);
  setWidget(client_);

  CreateMenus();
  connect(Memo1, &QWidget::customContextMenuRequested, this, &TEditForm::ShowMemoPopUp);
  Memo1->setTabStopDistance(8 * Memo1->fontMetrics().averageCharWidth());
  SetMemoMargins();
  adjustSize();
  Memo1->setFocus();
}

void TEditForm::CreateMenus() {
  const auto item = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
      action->setShortcut(key);
      // The window's shortcuts work while the focus is in it, whether or not
      // its menus are on show, and never reach another document window.
      action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
      addAction(action);
    }
    return action;
  };
  const auto separator = [](QMenu* menu, const char* name = nullptr) {
    QAction* action = menu->addSeparator();
    if (name) action->setObjectName(QString::fromLatin1(name));
    return action;
  };

  File1 = new QMenu(QStringLiteral("&File"), this);
  File1->setObjectName(QStringLiteral("File1"));
  New1 = item(File1, "New1", QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N));
  Open1 = item(File1, "Open1", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
  Close1 = item(File1, "Close1", QStringLiteral("&Close"));
  separator(File1, "N1");
  Save1 = item(File1, "Save1", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
  SaveAs1 = item(File1, "SaveAs1", QStringLiteral("Save &As..."));
  separator(File1, "N2");
  Print1 = item(File1, "Print1", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P));
  PrintSetup1 = item(File1, "PrintSetup1", QStringLiteral("Prin&t Setup..."));
  separator(File1, "N3");
  Exit1 = item(File1, "Exit1", QStringLiteral("E&xit"));

  Edit1 = new QMenu(QStringLiteral("&Edit"), this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Cut1 = item(Edit1, "Cut1", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
  Copy1 = item(Edit1, "Copy1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
  Paste1 = item(Edit1, "Paste1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
  Delete1 = item(Edit1, "Delete1", QStringLiteral("De&lete"), QKeySequence(Qt::Key_Delete));
  separator(Edit1);
  SelectAll1 = item(Edit1, "SelectAll1", QStringLiteral("Select &All"));

  Character1 = new QMenu(QStringLiteral("&Character"), this);
  Character1->setObjectName(QStringLiteral("Character1"));
  Left1 = item(Character1, "Left1", QStringLiteral("&Left"));
  Right1 = item(Character1, "Right1", QStringLiteral("&Right"));
  Center1 = item(Character1, "Center1", QStringLiteral("&Center"));
  separator(Character1);
  WordWrap1 = item(Character1, "WordWrap1", QStringLiteral("&WordWrap"));
  separator(Character1);
  Font1 = item(Character1, "Font1", QStringLiteral("&Font..."));

  MemoPopUp = new QMenu(this);
  MemoPopUp->setObjectName(QStringLiteral("MemoPopUp"));
  Cut2 = item(MemoPopUp, "Cut2", QStringLiteral("Cut"));
  Copy2 = item(MemoPopUp, "Copy2", QStringLiteral("Copy"));
  Paste2 = item(MemoPopUp, "Paste2", QStringLiteral("Paste"));

  alignGroup_ = new QActionGroup(this);
  for (QAction* a : {Left1, Right1, Center1}) {
    a->setCheckable(true);
    alignGroup_->addAction(a);
  }
  Left1->setChecked(true);
  WordWrap1->setCheckable(true);

  const auto toFrame = [](void (TFrameCalls::*call)()) {
    return [call] {
      if (TFrameCalls* frame = FrameCalls()) (frame->*call)();
    };
  };
  connect(New1, &QAction::triggered, this, toFrame(&TFrameCalls::NewChild));
  connect(Open1, &QAction::triggered, this, toFrame(&TFrameCalls::OpenChild));
  connect(Exit1, &QAction::triggered, this, toFrame(&TFrameCalls::Exit1Click));
  connect(Close1, &QAction::triggered, this, &QWidget::close);
  connect(Save1, &QAction::triggered, this, &TEditForm::Save1Click);
  connect(SaveAs1, &QAction::triggered, this, &TEditForm::SaveAs1Click);
  connect(Print1, &QAction::triggered, this, &TEditForm::Print1Click);
  connect(PrintSetup1, &QAction::triggered, this, &TEditForm::PrintSetup1Click);

  for (QAction* a : {Cut1, Cut2}) connect(a, &QAction::triggered, Memo1, &QPlainTextEdit::cut);
  for (QAction* a : {Copy1, Copy2}) connect(a, &QAction::triggered, Memo1, &QPlainTextEdit::copy);
  for (QAction* a : {Paste1, Paste2}) connect(a, &QAction::triggered, Memo1, &QPlainTextEdit::paste);
  connect(Delete1, &QAction::triggered, this, [this] { Memo1->textCursor().removeSelectedText(); });
  connect(SelectAll1, &QAction::triggered, Memo1, &QPlainTextEdit::selectAll);
  connect(Edit1, &QMenu::aboutToShow, this, &TEditForm::UpdateEditItems);
  connect(MemoPopUp, &QMenu::aboutToShow, this, &TEditForm::UpdateEditItems);

  connect(alignGroup_, &QActionGroup::triggered, this, &TEditForm::AlignClick);
  connect(WordWrap1, &QAction::triggered, this, &TEditForm::SetWordWrap);
  connect(Font1, &QAction::triggered, this, &TEditForm::SetFont);
}

bool TEditForm::Open(const QString& name) {
  fileName_ = AbsoluteName(name);
  QFile file(name);
  QByteArray bytes;
  // Only regular files: a folder cannot be read, and reading a pipe or a device
  // could wait or go on for ever.
  bool ok = QFileInfo(name).isFile() && file.open(QIODevice::ReadOnly);
  if (ok) {
    bytes = file.readAll();
    ok = file.error() == QFileDevice::NoError;
  }
  if (!ok) {
    prompts::Error(this, QStringLiteral("Cannot open file ") + name);
    return false;
  }
  QString text;
  if (doctext::IsTaskFile(name) && doctext::DecodeUtf8(bytes, text, &taskFileCrLf_)) {
    ShowText(name, text);
  } else {
    // A task file in another encoding is read as the other documents are;
    // it is saved as UTF-8, the only encoding task files have.
    taskFileCrLf_ = true;
    ShowText(name, doctext::Decode(bytes));
  }
  return true;
}

void TEditForm::OpenWritten(const QString& name, const QByteArray& bytes) {
  fileName_ = AbsoluteName(name);
  ShowText(name, doctext::Decode(bytes));
}

void TEditForm::ShowText(const QString& caption, const QString& text) {
  Memo1->setPlainText(text);
  setWindowTitle(caption);
  Memo1->moveCursor(QTextCursor::Start);
  Memo1->document()->setModified(false);
}

void TEditForm::SetResultLayout(bool withChart) {
  resultLayout_ = withChart;
  ChartOpt->setVisible(withChart);
  // A result window opens wide enough for the report's lines beside the
  // chart at its designed size; the main window keeps it within its area.
  const int exact = ExactLineHeight();
  static_cast<TEditClient*>(client_)->hint = QSize(
      std::max(kMemoRect.width(), WantedMemoWidth()) + kChartRect.width() - 1, kChartRect.height() + exact);
  // A result window cannot be made so small that the chart's labels would be
  // cut; a text window can take any size.
  client_->setMinimumSize(withChart
                              ? QSize(std::max(kMemoMinWidth + ChartOpt->minimumWidth() - 1,
                                               ExactLabel->isHidden() ? 0 : ExactLabel->sizeHint().width()),
                                      std::max(ChartOpt->minimumHeight(), kMemoMinWidth) + exact)
                              : QSize(0, 0));
  if (withChart) adjustSize();
  PlaceChildren();
}

int TEditForm::WantedMemoWidth() const {
  const QFontMetrics metrics(Memo1->font());
  int widest = 0;
  for (QTextBlock block = Memo1->document()->begin(); block.isValid(); block = block.next())
    widest = std::max(widest, metrics.horizontalAdvance(block.text()));
  // The text's margins, the vertical scroll bar, the caret after the last
  // character and a few pixels of slack.
  return widest + 2 * 3 + Memo1->verticalScrollBar()->sizeHint().width() + 8;
}

int TEditForm::ExactLineHeight() const {
  return ExactLabel->isHidden() ? 0 : ExactLabel->sizeHint().height();
}

void TEditForm::PlaceChildren() {
  // The exact line across the bottom; the text and the chart share the rest.
  const int exact = ExactLineHeight();
  const QSize size(client_->width(), std::max(0, client_->height() - exact));
  if (exact > 0) ExactLabel->setGeometry(0, size.height(), size.width(), exact);
  if (!resultLayout_) {
    narrow_ = false;
    ApplyWordWrap();
    Memo1->setGeometry(QRect(QPoint(0, 0), size));
    return;
  }
  // A window wide enough shows the report's lines whole beside the chart and
  // gives the rest to the chart. A narrower one that is high enough puts the
  // chart under the report, across the window. One that is neither keeps
  // the chart at its least size beside the report. Where the report is
  // narrower than its lines, they wrap, so that the answers at their ends
  // still show. Text and chart share a row or column of pixels.
  const int wanted = std::max(kMemoRect.width(), WantedMemoWidth());
  const QSize least = ChartOpt->minimumSize();
  const bool wide = size.width() + 1 >= wanted + least.width();
  const bool high = size.height() + 1 >= least.height() + kStackedMemoMinHeight;
  if (wide || !high) {
    const int memo = wide ? wanted : std::max(kMemoMinWidth, size.width() + 1 - least.width());
    narrow_ = memo < wanted && !ChartOpt->isHidden();
    ApplyWordWrap();
    Memo1->setGeometry(0, 0, memo, size.height());
    ChartOpt->setGeometry(memo - 1, 0, std::max(size.width() + 1 - memo, 0), size.height());
    return;
  }
  // The report as high as its lines need, the chart no lower than it must.
  const QFontMetrics metrics(Memo1->font());
  const int report = Memo1->document()->blockCount() * metrics.lineSpacing() +
                     2 * static_cast<int>(Memo1->document()->documentMargin()) +
                     Memo1->horizontalScrollBar()->sizeHint().height() + 2;
  const int memo = std::clamp(report, kStackedMemoMinHeight, size.height() + 1 - least.height());
  narrow_ = size.width() < wanted && !ChartOpt->isHidden();
  ApplyWordWrap();
  Memo1->setGeometry(0, 0, size.width(), memo);
  ChartOpt->setGeometry(0, memo - 1, size.width(), size.height() + 1 - memo);
}

void TEditForm::ChartDisplay(int code) {
  const int last = PrepareChartPointCount(code);
  if (!RunSucceeded) return;
  ChartOpt->Series1->clear();
  ChartOpt->Series2->clear();
  for (int i = 0; i <= last; ++i) {
    ChartOpt->Series1->AddXY(ChartX[i], ChartY1[i]);
    ChartOpt->Series2->AddXY(ChartX[i], ChartY2[i]);
  }
}

void TEditForm::ChartDisplay(const std::vector<std::array<double, 3>>& points) {
  ChartOpt->Series1->clear();
  ChartOpt->Series2->clear();
  for (const std::array<double, 3>& p : points) {
    ChartOpt->Series1->AddXY(p[0], p[1]);
    ChartOpt->Series2->AddXY(p[0], p[2]);
  }
}

void TEditForm::SetExactLine(const QString& text) {
  ExactLabel->setText(text);
  ExactLabel->setVisible(!text.isEmpty());
  SetResultLayout(resultLayout_);
}

QString TEditForm::Text() const { return RawText(Memo1).replace(QChar::ParagraphSeparator, u'\n'); }

void TEditForm::FormActivate() {
  if (TFrameCalls* frame = FrameCalls()) frame->DocumentActivated(this);
}

bool TEditForm::FormCloseQuery() {
  if (!Memo1->document()->isModified()) return true;
  switch (
      prompts::Confirm(this, QStringLiteral("Save Changes to '") + windowTitle() + QStringLiteral("'?"))) {
    case QMessageBox::Yes:
      // A save that was cancelled or failed keeps the window and its text.
      return Save1Click();
    case QMessageBox::No: return true;
    default: return false;
  }
}

void TEditForm::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
}

void TEditForm::UpdateEditItems() {
  const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
  const bool canPaste = clip && clip->hasText();
  Paste1->setEnabled(canPaste);
  Paste2->setEnabled(canPaste);
  const bool selected = Memo1->textCursor().hasSelection();
  for (QAction* a : {Cut1, Copy1, Delete1, Cut2, Copy2}) a->setEnabled(selected);
}

void TEditForm::ShowMemoPopUp(const QPoint& pos) { MemoPopUp->popup(Memo1->mapToGlobal(pos)); }

bool TEditForm::Save1Click() {
  if (fileName_.isEmpty()) return SaveAs1Click();
  const QString text = RawText(Memo1);
  QByteArray bytes;
  int badPos = -1;
  char32_t bad = 0;
  if (doctext::IsTaskFile(fileName_)) {
    bytes = doctext::EncodeUtf8(text, taskFileCrLf_);
  } else if (!doctext::Encode(text, bytes, &badPos, &bad)) {
    // Show the student where the character is, so it can be replaced.
    QTextCursor cursor(Memo1->document());
    cursor.setPosition(badPos);
    cursor.setPosition(badPos + (bad > 0xFFFF ? 2 : 1), QTextCursor::KeepAnchor);
    Memo1->setTextCursor(cursor);
    const QString shown = bad >= 0x20 && !QChar::isSpace(bad) && bad != 0xFFFD
                              ? QStringLiteral("'") + QString::fromUcs4(&bad, 1) + QStringLiteral("' ")
                              : QString();
    prompts::Error(
        this, QStringLiteral("Cannot save file %1: the character %2(U+%3) cannot be "
                             "stored in Windows-1251")
                  .arg(fileName_, shown,
                       QStringLiteral("%1").arg(static_cast<uint>(bad), 4, 16, QLatin1Char('0')).toUpper()));
    return false;
  }
  if (const QString problem = WriteFile(fileName_, bytes); !problem.isEmpty()) {
    prompts::Error(this, problem);
    return false;
  }
  Memo1->document()->setModified(false);
  return true;
}

bool TEditForm::SaveAs1Click() {
  QString name = fileName_;
  for (;;) {
    name = prompts::SaveFileName(this, doctext::IsTaskFile(name) ? kTaskFileFilter : kTextFilter, name);
    if (name.isEmpty()) return false;
    // A read-only file cannot be chosen: the user is told and asked again,
    // before the window takes the name.
    if (!IsReadOnlyFile(name)) break;
    prompts::Error(this, QStringLiteral("%1 is read-only. Choose another name.").arg(name));
  }
  // The window takes the new name only with a text saved under it: after a
  // failed save it goes on saving where it did.
  const QString oldName = fileName_;
  const QString oldCaption = windowTitle();
  fileName_ = AbsoluteName(name);
  setWindowTitle(name);
  if (Save1Click()) return true;
  fileName_ = oldName;
  setWindowTitle(oldCaption);
  return false;
}

bool TEditForm::MakeBackup(const QString& name) {
  const QString backup = doctext::BackupName(name);
  // A ".BAK" file is its own backup: nothing to keep. Names are compared as
  // the file systems of the program's origin do, without regard to case.
  if (SameName(backup, name) || !QFileInfo(name).isFile()) return false;
  QFile::remove(backup);
  return QFile::rename(name, backup);
}

QString TEditForm::WriteFile(const QString& name, const QByteArray& bytes) {
  const QString cannotCreate = QStringLiteral("Cannot create file ") + name;
  const QFileInfo target(name);
  // Only a regular file is replaced: a folder, a pipe or a device under that
  // name must not be renamed away or overwritten by a file.
  if (target.exists() && !target.isFile()) return cannotCreate;
  // Renaming over it would get round a read-only file's protection.
  if (target.exists() && !target.isWritable()) return cannotCreate;

  // The old file and its backup are not touched until the new text is
  // complete on disk beside it.
  BackupHook backup(name);
  WholeFileOptions options;
  options.hooks = &backup;
  try {
    ReplaceWholeFile(QFile::encodeName(name).constData(), bytes.constData(),
                     static_cast<std::size_t>(bytes.size()), options);
  } catch (const WholeFileError& e) {
    if (!e.InPlace()) return cannotCreate;
    // A folder that takes no new file still lets its writable files be
    // rewritten, without a backup.
    const QString problem =
        QStringLiteral(
            "Cannot write file %1: its folder takes no new file, so it is rewritten in place, "
            "and that failed (%2). ")
            .arg(name, QString::fromStdString(e.Code() ? SystemErrorText(e.Code()) : std::string(e.what())));
    if (e.FileLeft() == WholeFileError::Left::Damaged)
      return problem + QStringLiteral("The file may now be incomplete: save the text under another name.");
    return problem + QStringLiteral("The file keeps its previous text.");
  }
  return QString();
}

void TEditForm::Print1Click() {
  QPrinter& printer = textprint::SharedPrinter();
  if (!prompts::Print(this, printer)) return;
  const QFont font = textprint::ForPrinter(Memo1->font(), Memo1->logicalDpiY());
  // A result window prints its chart under the report at one size, whatever
  // the window's: as a chart of kPrintedChart pixels shows on this screen.
  textprint::Picture chart;
  if (resultLayout_ && !ChartOpt->isHidden()) {
    chart.size = QSizeF(kPrintedChart) * (72.0 / std::max(1, Memo1->logicalDpiY()));
    chart.draw = [this](QPainter& painter, const QRectF& target) {
      ChartOpt->Render(painter, target, kPrintedChart.expandedTo(ChartOpt->minimumSize()));
    };
  }
  if (!textprint::PrintLines(printer, doctext::Lines(RawText(Memo1)), font, chart.draw ? &chart : nullptr))
    prompts::Error(this, QStringLiteral("Printing failed"));
}

void TEditForm::PrintSetup1Click() { prompts::PrinterSetup(this, textprint::SharedPrinter()); }

void TEditForm::AlignClick(QAction* sender) {
  for (QAction* a : {Left1, Right1, Center1}) a->setChecked(a == sender);
  Qt::Alignment alignment = Qt::AlignLeft;
  if (Right1->isChecked())
    alignment = Qt::AlignRight;
  else if (Center1->isChecked())
    alignment = Qt::AlignHCenter;
  QTextOption option = Memo1->document()->defaultTextOption();
  option.setAlignment(alignment);
  Memo1->document()->setDefaultTextOption(option);
}

void TEditForm::SetWordWrap() {
  wordWrap_ = !wordWrap_;
  WordWrap1->setChecked(wordWrap_);
  ApplyWordWrap();
  SetMemoMargins();
}

void TEditForm::ApplyWordWrap() {
  const bool wrap = wordWrap_ || narrow_;
  if ((Memo1->lineWrapMode() != QPlainTextEdit::NoWrap) == wrap) return;
  Memo1->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

void TEditForm::SetFont() {
  // The dialog lists the families and styles the system has, and sizes in
  // points: it is shown the family that stands in for the one asked for, by
  // its style's own name (a translated "Normal" would match none), at its
  // size in points.
  const QFont current = Memo1->font();
  const QFontInfo shown(current);
  QFont font = current;
  font.setFamily(shown.family());
  font.setStyleName(shown.styleName());
  font.setPointSizeF(shown.pointSizeF());
  if (prompts::ChooseFont(this, font)) {
    // The dialog's sizes are whole points: the same font taken back keeps
    // the text's own size.
    const QFontInfo chosen(font);
    const bool same = chosen.family() == shown.family() && chosen.styleName() == shown.styleName() &&
                      qRound(font.pointSizeF()) == qRound(shown.pointSizeF()) &&
                      font.underline() == current.underline() && font.strikeOut() == current.strikeOut();
    if (!same) {
      Memo1->setFont(font);
      Memo1->setTabStopDistance(8 * Memo1->fontMetrics().averageCharWidth());
    }
  }
  SetMemoMargins();
}

void TEditForm::SetMemoMargins() { Memo1->SetTextMargins(3, 2); }
