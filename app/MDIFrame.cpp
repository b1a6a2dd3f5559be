#include "MDIFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QStackedLayout>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "SchemeTask.h"
#include "SpeedIcons.h"
#include "StudyDialog.h"
#include "VariantsDialog.h"
#include "base/Errors.h"
#include "data_dialog/DataForm.h"
#include "result_windows/DocumentText.h"
#include "result_windows/MDIEdit.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "teaching/Exact.h"
#include "window_services/Prompts.h"

TFrameForm* FrameForm = nullptr;
QString TaskFileName;
QString TaskFileExt;
std::int32_t ResultWindowCounters[30];

namespace {

const QKeySequence kDataEditKey(Qt::Key_F5);
const QKeySequence kRunKey(Qt::Key_F9);
const QString kUntitled = QStringLiteral("Untitled");

// The start text: a title page of the course and of the collection the tasks
// come from.
const char* const kStartLines[15] = {
    "",
    "",
    "Демонстрационные примеры решения задач по ",
    "курсу",
    "\"Оптимизация химических реакторов",
    "и химико-технологических процессов\"",
    "",
    "",
    "",
    "",
    "Коллектив кафедры химической технологии",
    "Сборник примеров и задач",
    "по оптимизации химических реакторов",
    "Учебное пособие",
    "Город: Издательство кафедры, 2026. - 120 с.",
};

// Entry i of ResultWindowCounters belongs to the i-th task of the table.
std::int32_t& ResultWindowCounter(int code) {
  return ResultWindowCounters[FindTask(code) - AllTasks().begin()];
}

QString FileNamePartOf(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

void ParseTaskCodeOf(const QString& name) { ParseTaskCode(name.toStdString()); }

// The open task's code, put back when a run is done: creating its result
// window activates that window, whose activation derives a code from its
// still empty caption.
struct OpenTaskCode {
  const std::int32_t code = TaskCode;
  ~OpenTaskCode() { TaskCode = code; }
};

QToolButton* SpeedButton(QWidget* panel, int left, SpeedPicture picture, const QString& hint,
                         const char* name) {
  auto* button = new QToolButton(panel);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left, 1, 25, 25);
  button->setIcon(SpeedIcon(picture));
  button->setIconSize(QSize(20, 20));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  // The tooltip is the hint's text before "|".
  const QString tip = hint.section(QLatin1Char('|'), 0, 0);
  button->setToolTip(tip);
  button->setStatusTip(tip);
  return button;
}

}  // namespace

TFrameForm::TFrameForm(QWidget* parent)
    : QMainWindow(parent), schemeTask_(std::make_unique<TSchemeTask>(this)) {
  FrameForm = this;
  SetFrameCalls(this);
  setWindowTitle(QStringLiteral("Задание №1"));
  setWindowIcon(ProgramIcon());
  QFont font(QStringLiteral("System"));
  font.setPixelSize(13);
  setFont(font);

  // Speed buttons at fixed places on a panel of their height.
  auto* toolBar = new QToolBar(QStringLiteral("SpeedPanel"), this);
  toolBar->setObjectName(QStringLiteral("SpeedPanelBar"));
  toolBar->setMovable(false);
  toolBar->setFloatable(false);
  toolBar->toggleViewAction()->setVisible(false);
  toolBar->setContentsMargins(0, 0, 0, 0);
  SpeedPanel = new QWidget(toolBar);
  SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
  SpeedPanel->setFixedHeight(27);
  SpeedPanel->setMinimumWidth(240);
  toolBar->addWidget(SpeedPanel);
  addToolBar(Qt::TopToolBarArea, toolBar);

  OpenBtn = SpeedButton(SpeedPanel, 7, SpeedPicture::Open, QStringLiteral("Open|"), "OpenBtn");
  ExitBtn = SpeedButton(SpeedPanel, 40, SpeedPicture::Exit, QStringLiteral("Exit|"), "ExitBtn");
  SaveBtn = SpeedButton(SpeedPanel, 71, SpeedPicture::Save, QStringLiteral("Save|"), "SaveBtn");
  CutBtn = SpeedButton(SpeedPanel, 104, SpeedPicture::Cut, QStringLiteral("Cut|"), "CutBtn");
  CopyBtn = SpeedButton(SpeedPanel, 128, SpeedPicture::Copy, QStringLiteral("Copy|"), "CopyBtn");
  PasteBtn = SpeedButton(SpeedPanel, 152, SpeedPicture::Paste, QStringLiteral("Paste|"), "PasteBtn");
  PasteBtn->setToolTip(QString());  // its tooltip is switched off
  EditDataBtn =
      SpeedButton(SpeedPanel, 184, SpeedPicture::DataEdit, QStringLiteral("Data Edit"), "EditDataBtn");
  RunBtn = SpeedButton(SpeedPanel, 208, SpeedPicture::Run, QStringLiteral("Run"), "RunBtn");
  // The keys that do the same, named where the mouse points.
  for (auto [button, key] : {std::pair{EditDataBtn, kDataEditKey}, std::pair{RunBtn, kRunKey}})
    button->setToolTip(button->toolTip() + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) +
                       QLatin1Char(')'));
  for (QToolButton* hidden : {SaveBtn, CutBtn, CopyBtn, PasteBtn, EditDataBtn, RunBtn}) hidden->hide();
  connect(OpenBtn, &QToolButton::clicked, this, &TFrameForm::OpenChild);
  connect(ExitBtn, &QToolButton::clicked, this, &TFrameForm::Exit1Click);
  connect(EditDataBtn, &QToolButton::clicked, this, &TFrameForm::EditDataBtnClick);
  connect(RunBtn, &QToolButton::clicked, this, &TFrameForm::RunBtnClick);
  // The editing buttons do what the active window's menu items do.
  connect(SaveBtn, &QToolButton::clicked, this, [this] {
    if (TEditForm* child = ActiveChild()) child->Save1Click();
  });
  connect(CutBtn, &QToolButton::clicked, this, [this] {
    if (TEditForm* child = ActiveChild()) child->Memo1->cut();
  });
  connect(CopyBtn, &QToolButton::clicked, this, [this] {
    if (TEditForm* child = ActiveChild()) child->Memo1->copy();
  });
  connect(PasteBtn, &QToolButton::clicked, this, [this] {
    if (TEditForm* child = ActiveChild()) child->Memo1->paste();
  });
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TFrameForm::UpdateSpeedButtons);

  // The client area: the start text over the document windows' area.
  auto* client = new QWidget(this);
  clientStack_ = new QStackedLayout(client);
  clientStack_->setContentsMargins(0, 0, 0, 0);
  MdiArea = new QMdiArea(client);
  MdiArea->setObjectName(QStringLiteral("MdiArea"));
  // A window moved or left partly outside the frame can still be reached.
  MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MemoBegin = new QTextEdit(client);
  MemoBegin->setObjectName(QStringLiteral("MemoBegin"));
  QFont startFont(QStringLiteral("Courier New"));
  startFont.setStyleHint(QFont::TypeWriter);
  startFont.setPixelSize(16);
  startFont.setBold(true);
  MemoBegin->setFont(startFont);
  MemoBegin->setTextColor(Qt::black);
  QTextCursor cursor(MemoBegin->document());
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  for (int i = 0; i < 15; ++i) {
    if (i > 0) cursor.insertBlock();
    cursor.setBlockFormat(centred);
    cursor.insertText(QString::fromUtf8(kStartLines[i]));
  }
  MemoBegin->document()->setModified(false);
  clientStack_->addWidget(MemoBegin);
  clientStack_->addWidget(MdiArea);
  clientStack_->setCurrentWidget(MemoBegin);
  setCentralWidget(client);
  // Typing into the start screen is taken as the wish to open a task.
  connect(MemoBegin, &QTextEdit::textChanged, this, &TFrameForm::OpenChild);

  // Menus. While a document window is active its "&File", "&Edit" and
  // "&Character" take the place of this "&File", before "&Window".
  File1 = new QMenu(QStringLiteral("&File"), this);
  New1 = File1->addAction(QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N), this,
                          &TFrameForm::NewChild);
  Open1 = File1->addAction(QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                           &TFrameForm::OpenChild);
  File1->addSeparator();
  Exit1 = File1->addAction(QStringLiteral("E&xit"), this, &TFrameForm::Exit1Click);
  // Data Edit and Run from the keyboard: a menu beside the others, and keys
  // that work wherever the focus is in the main window. Both are enabled
  // exactly while their buttons are shown.
  Task1 = new QMenu(QStringLiteral("&Task"), this);
  EditData1 =
      Task1->addAction(QStringLiteral("&Data Edit..."), kDataEditKey, this, &TFrameForm::EditDataBtnClick);
  Run1 = Task1->addAction(QStringLiteral("&Run"), kRunKey, this, &TFrameForm::RunBtnClick);
  // In this menu, which stays whatever window is active, the teacher finds it
  // with a statement open too.
  Task1->addSeparator();
  Task1->addAction(QStringLiteral("&Variants for students..."), this,
                   [this] { TVariantsDialog(this).exec(); });
  Task1->addAction(QStringLiteral("&Исследование параметра..."), this, &TFrameForm::StudyClick);
  addAction(EditData1);
  addAction(Run1);
  Window1 = new QMenu(QStringLiteral("&Window"), this);
  Tile1 = Window1->addAction(QStringLiteral("&Tile"), this, &TFrameForm::Tile1Click);
  Cascade1 = Window1->addAction(QStringLiteral("&Cascade"), this, &TFrameForm::Cascade1Click);
  ArrangeIcons1 = Window1->addAction(QStringLiteral("&Arrange Icons"), this, &TFrameForm::ArrangeIcons1Click);
  windowListSeparator_ = Window1->addSeparator();
  connect(Window1, &QMenu::aboutToShow, this, &TFrameForm::FillWindowMenu);
  // Ctrl+Tab and Ctrl+Shift+Tab go round the document windows wherever the
  // focus is in the main window, as in other programs with such windows.
  for (auto [keys, step] : {std::pair{QKeySequence::NextChild, &QMdiArea::activateNextSubWindow},
                            std::pair{QKeySequence::PreviousChild, &QMdiArea::activatePreviousSubWindow}}) {
    auto* cycle = new QAction(this);
    QList<QKeySequence> bindings = QKeySequence::keyBindings(keys);
    if (keys == QKeySequence::PreviousChild) bindings << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab);
    cycle->setShortcuts(bindings);
    connect(cycle, &QAction::triggered, MdiArea, step);
    addAction(cycle);
  }
  connect(MdiArea, &QMdiArea::subWindowActivated, this, &TFrameForm::FocusActiveChild);
  connect(MdiArea, &QMdiArea::subWindowActivated, this, &TFrameForm::MergeMenus);
  connect(MdiArea, &QMdiArea::subWindowActivated, this, &TFrameForm::UpdateSpeedButtons);
  MergeMenus(nullptr);
  UpdateSpeedButtons();
  UpdateTaskCommands();

  std::fill(std::begin(ResultWindowCounters), std::end(ResultWindowCounters), 0);
  resize(900, 640);
}

TFrameForm::~TFrameForm() {
  // The document windows go before the menu bar they stand in.
  disconnect(MdiArea, nullptr, this, nullptr);
  disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
  for (QMdiSubWindow* window : MdiArea->subWindowList())
    if (auto* child = qobject_cast<TEditForm*>(window)) disconnect(child->Memo1, nullptr, this, nullptr);
  SetFrameCalls(nullptr);
  if (FrameForm == this) FrameForm = nullptr;
}

TEditForm* TFrameForm::CreateChild() {
  auto* child = new TEditForm;
  connect(child->Memo1, &QPlainTextEdit::selectionChanged, this, &TFrameForm::UpdateSpeedButtons);
  MdiArea->addSubWindow(child);
  child->show();
  KeepInView(child);
  child->Memo1->setFocus();
  // A new window is active at once: its activation handler runs now, with
  // the caption it has at its creation.
  TActivationTracker::Instance().Activate(child);
  return child;
}

void TFrameForm::HideMemoBegin() {
  clientStack_->setCurrentWidget(MdiArea);
  MemoBegin->hide();
}

void TFrameForm::NewChild() {
  HideMemoBegin();
  TEditForm* child = CreateChild();
  child->setWindowTitle(kUntitled);
  TaskFileName = kUntitled;
  child->SetResultLayout(false);
  child->show();
  VisibleSpeedButton();
  RunBtnVis(kUntitled);
}

void TFrameForm::OpenChild() {
  const QString file = prompts::OpenFileName(
      this, QStringLiteral("Tasks (*.txt *.toml);;Text Files (*.txt);;Task Files (*.toml);;All Files (*)"));
  if (file.isEmpty()) return;
  HideMemoBegin();
  TEditForm* child = CreateChild();
  child->SetResultLayout(false);
  if (!child->Open(file)) return;
  TaskFileName = FileNamePartOf(file).left(10);
  child->show();
  ParseTaskCodeOf(TaskFileName);
  VisibleSpeedButton();
  if (doctext::IsTaskFile(file)) {
    // A task file holds its own data: "DataFile.dat" is not read.
    schemeTask_->Select(child, child->FileName());
    return;
  }
  try {
    DataForm->PreparationTask();
  } catch (const InOutError& e) {
    prompts::Error(this, QString::fromUtf8(e.what()));
  }
}

void TFrameForm::RunBtnClick() {
  if (schemeTask_->Current()) {
    RunSchemeTask();
    return;
  }
  // The dispatcher's code of the task file's name; the run keeps the shared
  // state as it leaves it (the chart is drawn from its buffers) and writes
  // the report, but TaskCode stays the open task's.
  const OpenTaskCode open;
  TaskRequest request;
  request.code = TaskCodeOf(TaskFileName.toStdString());
  for (int j = 1; j <= 10; ++j) request.values.push_back(TaskParams.Slot(j));
  request.data = DataSource::None;  // the dialog's table names the fields
  request.keepSharedState = true;
  request.writeReport = true;
  TaskResult run;
  try {
    run = RunTaskRequest(request);
  } catch (const std::runtime_error& e) {
    // Input and output errors end the run; no window opens.
    prompts::Error(this, QString::fromUtf8(e.what()));
    return;
  } catch (const std::bad_alloc&) {
    prompts::Error(this, QStringLiteral("Недостаточно памяти для расчёта"));
    return;
  }
  if (!run.refusal.empty()) {
    // Data the task cannot take end the run too.
    prompts::Error(this, QString::fromUtf8(run.refusal.c_str()));
    return;
  }
  if (!run.ran) return;
  // Beside the report, which stays as it is, the exact optimum where a task
  // file states the task, so that the method's error shows.
  std::string exact;
  try {
    std::vector<double> values;
    for (int j = 1; j <= SlotCount(request.code); ++j) values.push_back(request.values[j - 1].value_or(0));
    exact = teaching::ExactLine(request.code, values, run.answers);
  } catch (const std::bad_alloc&) {
    // The run's window still opens, only without the line.
  }
  const QString prefix = TaskFileName.left(6);
  const std::int32_t count = ++ResultWindowCounter(request.code);
  const QString number = QStringLiteral("%1").arg(count, 2).left(2);
  TEditForm* child = CreateChild();
  // The report this run made, not the file read back: a batch run or another
  // instance of the program in this folder may have rewritten it already. The
  // window saves to the report file of this folder, written under the name
  // the solvers use on this case-sensitive file system.
  child->OpenWritten(QString::fromLatin1(kReportFileName), QByteArray::fromStdString(run.report));
  child->setWindowTitle(prefix + QStringLiteral(".out(") + number + QLatin1Char(')'));
  child->ChartDisplay(open.code);
  child->SetExactLine(QString::fromUtf8(exact.data(), static_cast<qsizetype>(exact.size())));
  child->SetResultLayout(true);
  child->show();
  KeepInView(child);  // again, at the size the result layout gave it
}

void TFrameForm::RunSchemeTask() {
  const std::optional<schemes::SchemeRun> run = schemeTask_->Run();
  if (!run) return;
  const OpenTaskCode open;
  const QString number = QStringLiteral("%1").arg(schemeTask_->NextNumber(), 2).left(2);
  const QString caption = schemeTask_->Stem() + QStringLiteral(".out(") + number + QLatin1Char(')');
  TEditForm* child = CreateChild();
  child->OpenWritten(QString::fromLatin1(kReportFileName), QByteArray::fromStdString(run->report));
  child->setWindowTitle(caption);
  child->ChartDisplay(run->chart);
  child->SetResultLayout(true);
  child->show();
  KeepInView(child);
}

void TFrameForm::StudyClick() {
  // The open task with the values a Run would take.
  QMdiSubWindow* window = nullptr;
  if (schemeTask_->Current()) {
    // A fault of the file is shown as Run shows it, and no dialog opens.
    if (const std::optional<teaching::StudyRequest> task = schemeTask_->StudyTask())
      window = AskStudy(this, *task, schemeTask_->Stem());
  } else {
    const int code = TaskCodeOf(TaskFileName.toStdString());
    std::vector<std::optional<double>> values;
    if (FindTask(code))
      for (int j = 1; j <= SlotCount(code); ++j) values.push_back(TaskParams.Slot(j));
    window = AskStudy(this, code, values);
  }
  if (!window) return;
  HideMemoBegin();
  MdiArea->addSubWindow(window);
  window->show();
  KeepInView(window);
}

void TFrameForm::EditDataBtnClick() {
  if (schemeTask_->Current()) {
    schemeTask_->EditData();
    return;
  }
  DataForm->show();
  DataForm->raise();
  DataForm->activateWindow();
  // A dialog that was on screen already is activated by the button too, even
  // under a window manager that does not give it the focus.
  TActivationTracker::Instance().Activate(DataForm);
}

void TFrameForm::Exit1Click() { close(); }

void TFrameForm::Tile1Click() { MdiArea->tileSubWindows(); }

void TFrameForm::Cascade1Click() { MdiArea->cascadeSubWindows(); }

void TFrameForm::ArrangeIcons1Click() {
  // Minimised windows in a row along the bottom of the client area.
  int left = 0;
  const int bottom = MdiArea->viewport()->height();
  for (QMdiSubWindow* window : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
    if (!window->isMinimized()) continue;
    window->move(left, bottom - window->height());
    left += window->width();
  }
}

void TFrameForm::RunBtnVis(const QString& name) {
  const QString namePart = FileNamePartOf(name);
  TaskFileName = namePart.left(10);
  const qsizetype dot = namePart.lastIndexOf(QLatin1Char('.'));
  TaskFileExt = dot < 0 ? QString() : namePart.mid(dot).left(4);
  ParseTaskCodeOf(TaskFileName);
  const bool taskWindow = TaskFileName != kUntitled && TaskFileExt != QStringLiteral(".out");
  RunBtn->setVisible(taskWindow);
  EditDataBtn->setVisible(taskWindow);
  UpdateTaskCommands();
  if (taskWindow && doctext::IsTaskFile(namePart)) {
    TEditForm* window = activating_ && activating_->windowTitle() == name ? activating_ : nullptr;
    schemeTask_->Select(window, window ? window->FileName() : name);
  } else {
    schemeTask_->Clear();
  }
}

void TFrameForm::DocumentActivated(QWidget* window) {
  activating_ = qobject_cast<TEditForm*>(window);
  RunBtnVis(window->windowTitle());
  activating_ = nullptr;
}

void TFrameForm::VisibleSpeedButton() {
  for (QToolButton* button : {RunBtn, EditDataBtn, SaveBtn, CutBtn, CopyBtn, PasteBtn}) button->show();
  UpdateTaskCommands();
}

void TFrameForm::UpdateTaskCommands() {
  EditData1->setEnabled(!EditDataBtn->isHidden());
  Run1->setEnabled(!RunBtn->isHidden());
}

void TFrameForm::KeepInView(QMdiSubWindow* window) {
  if (window->isMaximized() || window->isMinimized()) return;
  const QRect area = MdiArea->viewport()->rect();
  QRect g = window->geometry();
  // As large as it wants, up to the area, never below what it needs.
  g.setSize(g.size().boundedTo(area.size()).expandedTo(window->minimumSizeHint()));
  if (g.right() > area.right()) g.moveRight(area.right());
  if (g.bottom() > area.bottom()) g.moveBottom(area.bottom());
  g.moveTopLeft(QPoint(std::max(g.left(), 0), std::max(g.top(), 0)));
  window->setGeometry(g);
}

TEditForm* TFrameForm::ActiveChild() const {
  // The current window, also while the data dialog or a message box has the
  // focus.
  return qobject_cast<TEditForm*>(MdiArea->currentSubWindow());
}

void TFrameForm::UpdateSpeedButtons() {
  TEditForm* child = ActiveChild();
  const bool selected = child && child->Memo1->textCursor().hasSelection();
  const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
  SaveBtn->setEnabled(child);
  CutBtn->setEnabled(selected);
  CopyBtn->setEnabled(selected);
  PasteBtn->setEnabled(child && clip && clip->hasText());
}

void TFrameForm::FormActivate() {
  if (!isMaximized()) showMaximized();
  std::fill(std::begin(ResultWindowCounters), std::end(ResultWindowCounters), 0);
  schemeTask_->ResetNumbers();
}

void TFrameForm::closeEvent(QCloseEvent* event) {
  // Every document window is asked once; a Cancel keeps it and the program.
  const QList<QMdiSubWindow*> windows = MdiArea->subWindowList(QMdiArea::StackingOrder);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    auto* child = qobject_cast<TEditForm*>(*it);
    if (child && !child->FormCloseQuery()) {
      event->ignore();
      return;
    }
  }
  event->accept();
  if (DataForm) DataForm->hide();
}

void TFrameForm::MergeMenus(QMdiSubWindow* active) {
  QMenuBar* bar = menuBar();
  bar->clear();
  if (auto* child = qobject_cast<TEditForm*>(active)) {
    for (QMenu* menu : child->MergedMenus()) bar->addMenu(menu);
  } else {
    bar->addMenu(File1);
  }
  bar->addMenu(Task1);
  bar->addMenu(Window1);
  // The frame's own shortcuts must not compete with the document window's.
  for (QAction* action : {New1, Open1}) action->setEnabled(!active);
}

void TFrameForm::FocusActiveChild(QMdiSubWindow* active) {
  // A window made active by the Window menu or Ctrl+Tab would otherwise keep
  // the focus on its frame, where no key does anything.
  if (!active || active->isMinimized() || !active->widget()) return;
  QWidget* focus = QApplication::focusWidget();
  if (focus && active->widget()->isAncestorOf(focus)) return;
  // Only while the main window has the keyboard: not from under the data
  // dialog or another program.
  if (focus && focus->window() != this) return;
  active->widget()->setFocus(Qt::OtherFocusReason);
}

void TFrameForm::FillWindowMenu() {
  const QList<QAction*> actions = Window1->actions();
  for (qsizetype i = actions.indexOf(windowListSeparator_) + 1; i < actions.size(); ++i) {
    Window1->removeAction(actions[i]);
    actions[i]->deleteLater();
  }
  const QList<QMdiSubWindow*> windows = MdiArea->subWindowList(QMdiArea::CreationOrder);
  windowListSeparator_->setVisible(!windows.isEmpty());
  int n = 0;
  for (QMdiSubWindow* window : windows) {
    ++n;
    QAction* item = Window1->addAction(QStringLiteral("&%1 %2").arg(n).arg(window->windowTitle()));
    item->setCheckable(true);
    item->setChecked(window == MdiArea->activeSubWindow());
    connect(item, &QAction::triggered, this, [this, target = QPointer<QMdiSubWindow>(window)] {
      if (!target) return;
      MdiArea->setActiveSubWindow(target);
      FocusActiveChild(target);
    });
  }
}
