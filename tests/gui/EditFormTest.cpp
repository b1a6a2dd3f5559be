// The document window: Windows-1251 files, the backup rule, saves that must
// not lose anything, the close question, the edit menu, word wrap, shortcuts
// and the calls into the main window.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QClipboard>
#include <QFontDialog>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QTranslator>
#include <csignal>

#include "GuiTestSupport.h"
#include "result_windows/DocumentText.h"
#include "result_windows/MDIEdit.h"
#include "window_services/FrameCalls.h"

namespace {

// What a user does: replace the whole text by typing.
void Type(TEditForm& form, const QString& text) {
  form.Memo1->selectAll();
  form.Memo1->insertPlainText(text);
}

bool Modified(const TEditForm& form) { return form.Memo1->document()->isModified(); }

// A closed window is deleted on the next round of the event loop.
bool Destroyed(QPointer<TEditForm>& form) {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return form.isNull();
}

void MakeFifo(const QString& path) { QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); }

class FakeFrame : public TFrameCalls {
 public:
  QStringList calls;
  void RunBtnVis(const QString& caption) override { calls << "RunBtnVis " + caption; }
  void NewChild() override { calls << "NewChild"; }
  void OpenChild() override { calls << "OpenChild"; }
  void Exit1Click() override { calls << "Exit1Click"; }
};

}  // namespace

class EditFormTest : public QObject {
  Q_OBJECT

 private slots:
  void loadsAndSavesWindows1251();
  void openFailureKeepsTextAndCaption();
  void eachSaveKeepsThePreviousVersionAsBak();
  void newWindowSavesThroughSaveAs();
  void failedSavesChangeNoFile();
  void aReadOnlyFileIsNotReplaced();
  void characterOutsideCodePageRefusesTheSave();
  void closeQuery();
  void closeQueryKeepsWindowWhenSaveDoesNotHappen();
  void editItemsFollowSelectionAndClipboard();
  void wordWrapTogglesTheScrollBars();
  void theFontDialogOpensAtTheWindowsFont_data();
  void theFontDialogOpensAtTheWindowsFont();
  void shortcutsActOnTheFocusedWindowOnly();
  void callsIntoTheMainWindow();
};

void EditFormTest::loadsAndSavesWindows1251() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const QString name = dir.path("zad101.txt");
  // "Задача" CR LF, "b" LF, "c" CR, an empty line, "d" without a line end.
  WriteBytes(name, "\xC7\xE0\xE4\xE0\xF7\xE0\r\nb\nc\r\r\nd");
  TEditForm form;
  QVERIFY(form.Open(name));
  QCOMPARE(doctext::Lines(form.Memo1->toPlainText()), QStringList({"Задача", "b", "c", "", "d"}));
  QCOMPARE(form.windowTitle(), name);
  QCOMPARE(form.FileName(), name);
  QCOMPARE(form.Memo1->textCursor().position(), 0);
  QVERIFY(!Modified(form));
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(name), QByteArray("\xC7\xE0\xE4\xE0\xF7\xE0\r\nb\r\nc\r\n\r\nd\r\n"));

  // Every byte but the line ends comes back as it was, the non-breaking space
  // 0xA0 and the unassigned 0x98 included, and so does a trailing empty line.
  QByteArray all;
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') all += static_cast<char>(b);
    if (b % 16 == 15) all += "\r\n";
  }
  all += "\r\n";
  WriteBytes(name, all);
  QVERIFY(form.Open(name));
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(name), all);
  QVERIFY(prompts.errors.isEmpty());
}

void EditFormTest::openFailureKeepsTextAndCaption() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  TEditForm form;
  Type(form, "kept");
  const QString missing = dir.path("missing.txt");
  QVERIFY(!form.Open(missing));
  QCOMPARE(prompts.errors, QStringList("Cannot open file " + missing));
  QCOMPARE(form.FileName(), missing);
  QCOMPARE(form.windowTitle(), QStringLiteral("Untitled"));
  QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("kept"));
  // Neither a folder nor a pipe is a text file; a pipe would wait for a writer.
  MakeFifo(dir.path("pipe"));
  QVERIFY(!form.Open(dir.path(".")));
  QVERIFY(!form.Open(dir.path("pipe")));
  QCOMPARE(prompts.errors.size(), 3);
}

void EditFormTest::eachSaveKeepsThePreviousVersionAsBak() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const auto saveText = [](const QString& name, const QString& text) {
    TEditForm form;
    QVERIFY(form.Open(name));
    Type(form, text);
    QVERIFY(form.Save1Click());
    QVERIFY(!Modified(form));
  };
  WriteBytes(dir.path("report.txt"), "v0\r\n");
  saveText(dir.path("report.txt"), "v1");
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("v0\r\n"));
  saveText(dir.path("report.txt"), "v2");
  QCOMPARE(ReadBytes(dir.path("report.txt")), QByteArray("v2\r\n"));
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("v1\r\n"));
  // Another extension of the same name shares the backup.
  WriteBytes(dir.path("report.dat"), "dat\r\n");
  saveText(dir.path("report.dat"), "dat2");
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("dat\r\n"));

  // A ".BAK" file, whatever the case of its extension, is its own backup.
  WriteBytes(dir.path("x.BAK"), "old\r\n");
  WriteBytes(dir.path("y.bak"), "old\r\n");
  saveText(dir.path("x.BAK"), "new");
  saveText(dir.path("y.bak"), "new");
  QCOMPARE(ReadBytes(dir.path("x.BAK")), QByteArray("new\r\n"));
  QCOMPARE(ReadBytes(dir.path("y.bak")), QByteArray("new\r\n"));

  // A name without extension in a dotted folder gets ".BAK" appended.
  QVERIFY(QDir(dir.path(".")).mkdir("my.folder"));
  WriteBytes(dir.path("my.folder/notes"), "old\r\n");
  saveText(dir.path("my.folder/notes"), "new");
  QCOMPARE(ReadBytes(dir.path("my.folder/notes.BAK")), QByteArray("old\r\n"));

  QCOMPARE(dir.entries(),
           QStringList({"my.folder", "report.BAK", "report.dat", "report.txt", "x.BAK", "y.bak"}));
  QCOMPARE(QDir(dir.path("my.folder")).entryList(QDir::Files | QDir::Hidden),
           QStringList({"notes", "notes.BAK"}));
  QVERIFY(prompts.errors.isEmpty());
}

void EditFormTest::newWindowSavesThroughSaveAs() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  TEditForm form;
  Type(form, "text");
  prompts.saveAnswers << "" << dir.path("zad105.txt");
  QVERIFY(!form.Save1Click());
  QVERIFY(dir.entries().isEmpty());
  QVERIFY(Modified(form));
  QCOMPARE(form.windowTitle(), QStringLiteral("Untitled"));

  QVERIFY(form.Save1Click());
  QCOMPARE(form.FileName(), dir.path("zad105.txt"));
  QCOMPARE(form.windowTitle(), dir.path("zad105.txt"));
  QCOMPARE(ReadBytes(dir.path("zad105.txt")), QByteArray("text\r\n"));
  QCOMPARE(dir.entries(), QStringList({"zad105.txt"}));
  QCOMPARE(prompts.savePresets, QStringList({"", ""}));
}

void EditFormTest::failedSavesChangeNoFile() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const QString name = dir.path("report.txt");
  WriteBytes(name, "current\r\n");
  WriteBytes(dir.path("report.BAK"), "previous\r\n");
  TEditForm form;
  QVERIFY(form.Open(name));
  Type(form, QString(100000, u'x'));
  {
    FileSizeLimit full(4096);
    QVERIFY(!form.Save1Click());
  }
  QCOMPARE(prompts.errors, QStringList("Cannot create file " + name));
  QVERIFY(Modified(form));
  QCOMPARE(ReadBytes(name), QByteArray("current\r\n"));
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("previous\r\n"));
  QCOMPARE(dir.entries(), QStringList({"report.BAK", "report.txt"}));
  // With room on the disk again the same save goes through.
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("current\r\n"));

  // No such folder; a folder or a pipe of the chosen name is neither replaced
  // nor moved away as a backup.
  QVERIFY(QDir(dir.path(".")).mkdir("sub"));
  MakeFifo(dir.path("pipe"));
  prompts.saveAnswers << dir.path("no-such-folder/x.txt") << dir.path("sub") << dir.path("pipe");
  Type(form, "text");
  for (int i = 0; i < 3; ++i) QVERIFY(!form.SaveAs1Click());
  QCOMPARE(prompts.errors.size(), 4);
  QCOMPARE(prompts.errors.last(), "Cannot create file " + dir.path("pipe"));
  QVERIFY(Modified(form));
  // The window keeps the name it had: the next Save goes where the last did.
  QCOMPARE(form.windowTitle(), name);
  QCOMPARE(form.FileName(), name);
  QVERIFY(QFileInfo(dir.path("sub")).isDir());
  QVERIFY(!QFileInfo(dir.path("pipe")).isFile());
  QCOMPARE(dir.entries(), QStringList({"pipe", "report.BAK", "report.txt", "sub"}));
}

void EditFormTest::aReadOnlyFileIsNotReplaced() {
  TempWorkDir dir;
  chmod(QFile::encodeName(dir.path(".")).constData(), 0777);
  const QString name = dir.path("zad101.txt");
  WriteBytes(name, "statement\r\n");
  chmod(QFile::encodeName(name).constData(), 0444);
  // File permissions do not bind root: the save is tried by an unprivileged
  // child process.
  const int status = RunUnprivileged([&] {
    ScriptedPrompts prompts;
    TEditForm form;
    bool ok = form.Open(name);
    Type(form, "edit");
    return ok && !form.Save1Click() && prompts.errors == QStringList("Cannot create file " + name) &&
           Modified(form) && ReadBytes(name) == "statement\r\n" &&
           dir.entries() == QStringList({"zad101.txt"});
  });
  if (status == kNoUnprivilegedUser) QSKIP("this root cannot drop to an unprivileged user");
  QCOMPARE(status, 0);
}

void EditFormTest::characterOutsideCodePageRefusesTheSave() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const QString name = dir.path("notes.txt");
  WriteBytes(name, "old\r\n");
  TEditForm form;
  QVERIFY(form.Open(name));
  Type(form, "Выход ≈ 0.25\nсм. 😀");
  QVERIFY(!form.Save1Click());
  QCOMPARE(prompts.errors.size(), 1);
  const QString& message = prompts.errors[0];
  QVERIFY2(message.contains("'≈'") && message.contains("U+2248") && message.contains(name),
           qPrintable(message));
  // The character is selected for the user to replace.
  QCOMPARE(form.Memo1->textCursor().selectedText(), QStringLiteral("≈"));
  QVERIFY(Modified(form));
  QCOMPARE(ReadBytes(name), QByteArray("old\r\n"));
  QCOMPARE(dir.entries(), QStringList({"notes.txt"}));

  form.Memo1->textCursor().insertText("~");
  QVERIFY(!form.Save1Click());
  QVERIFY2(prompts.errors[1].contains("U+1F600"), qPrintable(prompts.errors[1]));
  QCOMPARE(form.Memo1->textCursor().selectedText(), QStringLiteral("😀"));
  form.Memo1->textCursor().insertText(":-)");
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(name), QByteArray("\xC2\xFB\xF5\xEE\xE4 ~ 0.25\r\n\xF1\xEC. :-)\r\n"));
}

void EditFormTest::closeQuery() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  WriteBytes(dir.path("Opt.Out"), "old\r\n");
  const auto openResultWindow = [] {
    auto* form = new TEditForm;
    form->Open("Opt.Out");
    form->setWindowTitle("zad101.out( 1)");
    return form;
  };
  // Unmodified: closes without a question.
  QPointer<TEditForm> form = openResultWindow();
  QVERIFY(form->close());
  QVERIFY(Destroyed(form));
  QVERIFY(prompts.confirmTexts.isEmpty());

  // Cancel keeps the window and its text; the question names the caption.
  form = openResultWindow();
  Type(*form, "edited");
  prompts.confirmAnswers << QMessageBox::Cancel << QMessageBox::No;
  QVERIFY(!form->close());
  QVERIFY(!Destroyed(form));
  QCOMPARE(prompts.confirmTexts, QStringList("Save Changes to 'zad101.out( 1)'?"));
  QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("edited"));
  // No closes without saving.
  QVERIFY(form->close());
  QVERIFY(Destroyed(form));
  QCOMPARE(ReadBytes(dir.path("Opt.Out")), QByteArray("old\r\n"));

  // Yes saves the report in the working directory, then closes.
  form = openResultWindow();
  Type(*form, "saved");
  prompts.confirmAnswers << QMessageBox::Yes;
  QVERIFY(form->close());
  QVERIFY(Destroyed(form));
  QCOMPARE(ReadBytes(dir.path("Opt.Out")), QByteArray("saved\r\n"));
  QCOMPARE(ReadBytes(dir.path("Opt.BAK")), QByteArray("old\r\n"));
  QCOMPARE(prompts.confirmTexts.size(), 3);
}

void EditFormTest::closeQueryKeepsWindowWhenSaveDoesNotHappen() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  QPointer<TEditForm> form = new TEditForm;
  Type(*form, "new text");
  // Yes, then Save As cancelled; Yes, then a save that fails (the window
  // stays untitled); Yes, then a character the code page cannot hold.
  prompts.confirmAnswers << QMessageBox::Yes << QMessageBox::Yes << QMessageBox::Yes;
  prompts.saveAnswers << "" << dir.path("no-such-folder/x.txt") << dir.path("x.txt");
  QVERIFY(!form->close());
  QCOMPARE(prompts.confirmTexts, QStringList("Save Changes to 'Untitled'?"));
  QVERIFY(!form->close());
  Type(*form, "√2");
  QVERIFY(!form->close());
  QVERIFY(!Destroyed(form));
  QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("√2"));
  QVERIFY(Modified(*form));
  QCOMPARE(prompts.errors.size(), 2);
  QCOMPARE(form->windowTitle(), QStringLiteral("Untitled"));
  QVERIFY(dir.entries().isEmpty());
  // The main window asks the same before the program ends.
  prompts.confirmAnswers << QMessageBox::Cancel << QMessageBox::No;
  QVERIFY(!form->FormCloseQuery());
  QVERIFY(form->FormCloseQuery());
  delete form;
}

void EditFormTest::editItemsFollowSelectionAndClipboard() {
  TEditForm form;
  form.Memo1->setPlainText("some text");
  QClipboard* clipboard = QGuiApplication::clipboard();
  const auto openMenu = [](QMenu* menu) {
    menu->popup(QPoint(0, 0));
    menu->hide();
  };
  const auto enabled = [&form] {
    QString s;
    for (QAction* a : {form.Cut1, form.Copy1, form.Paste1, form.Delete1, form.SelectAll1, form.Cut2,
                       form.Copy2, form.Paste2})
      s += a->isEnabled() ? '1' : '0';
    return s;
  };
  // Only an image on the clipboard and no selection: nothing but Select All.
  auto* image = new QMimeData;
  image->setImageData(QImage(2, 2, QImage::Format_RGB32));
  clipboard->setMimeData(image);
  openMenu(form.Edit1);
  QCOMPARE(enabled(), QStringLiteral("00001000"));
  clipboard->setText("clip");
  form.Memo1->selectAll();
  openMenu(form.Edit1);
  QCOMPARE(enabled(), QStringLiteral("11111111"));
  clipboard->clear();
  form.Memo1->moveCursor(QTextCursor::End);
  openMenu(form.MemoPopUp);
  QCOMPARE(enabled(), QStringLiteral("00001000"));

  // Delete removes the selection without touching the clipboard.
  clipboard->setText("clip");
  QTextCursor cursor = form.Memo1->textCursor();
  cursor.setPosition(4, QTextCursor::KeepAnchor);
  form.Memo1->setTextCursor(cursor);
  openMenu(form.Edit1);
  form.Delete1->trigger();
  QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("some"));
  QCOMPARE(clipboard->text(), QStringLiteral("clip"));
  QVERIFY(Modified(form));
}

void EditFormTest::wordWrapTogglesTheScrollBars() {
  TEditForm form;
  form.Memo1->setPlainText(QString(200, u'w'));
  form.show();
  const auto state = [&form] {
    return QString("%1 %2 %3 lines=%4")
        .arg(form.WordWrap1->isChecked())
        .arg(form.Memo1->horizontalScrollBar()->isVisible())
        .arg(form.Memo1->verticalScrollBar()->isVisible())
        .arg(form.Memo1->document()->firstBlock().layout()->lineCount());
  };
  QCOMPARE(state(), QStringLiteral("0 1 1 lines=1"));
  form.WordWrap1->trigger();
  QVERIFY2(state().startsWith("1 0 1 lines=") && !state().endsWith("=1"), qPrintable(state()));
  form.WordWrap1->trigger();
  QCOMPARE(state(), QStringLiteral("0 1 1 lines=1"));
}

void EditFormTest::theFontDialogOpensAtTheWindowsFont_data() {
  QTest::addColumn<QString>("language");
  QTest::newRow("English") << QString();
  QTest::newRow("Russian") << QStringLiteral("ru_RU");
}

// Character -> Font shows the font the text is in, in whatever language Qt's
// dialogs speak, and taking it as it is leaves the text as it was.
void EditFormTest::theFontDialogOpensAtTheWindowsFont() {
  QFETCH(QString, language);
  QTranslator translator;
  if (!language.isEmpty()) {
    QVERIFY(translator.load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&translator);
  }
  TEditForm form;
  form.show();
  const QFont before = form.Memo1->font();
  const auto described = [](const QFont& font) {
    const QFontInfo info(font);
    return QStringLiteral("%1 %2 %3px").arg(info.family(), info.styleName()).arg(info.pixelSize());
  };
  QString shown;
  // The dialog is modal: it is answered from the event loop it runs.
  std::function<void()> answer = [&] {
    auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      QTimer::singleShot(10, answer);
      return;
    }
    shown = described(dialog->currentFont());
    dialog->accept();
  };
  QTimer::singleShot(0, answer);
  form.Font1->trigger();
  QCOMPARE(shown, described(before));
  QCOMPARE(form.Memo1->font(), before);
}

void EditFormTest::shortcutsActOnTheFocusedWindowOnly() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  WriteBytes(dir.path("a.txt"), "a\r\n");
  WriteBytes(dir.path("b.txt"), "b\r\n");
  QMdiArea area;
  auto* a = new TEditForm;
  auto* b = new TEditForm;
  area.addSubWindow(a);
  area.addSubWindow(b);
  QVERIFY(a->Open(dir.path("a.txt")) && b->Open(dir.path("b.txt")));
  area.resize(800, 600);
  area.show();
  QVERIFY(QTest::qWaitForWindowActive(&area));
  area.setActiveSubWindow(a);
  a->Memo1->setFocus();
  QTRY_VERIFY(a->Memo1->hasFocus());
  QTest::keyClicks(a->Memo1, "1");
  QTest::keyClicks(b->Memo1, "2");
  // Both windows have Ctrl+S; only the one with the focus saves.
  QTest::keyClick(a->Memo1, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(ReadBytes(dir.path("a.txt")), QByteArray("1a\r\n"));
  QCOMPARE(ReadBytes(dir.path("b.txt")), QByteArray("b\r\n"));
  QVERIFY(!Modified(*a) && Modified(*b));
  b->Memo1->document()->setModified(false);
}

void EditFormTest::callsIntoTheMainWindow() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  TEditForm form;
  const auto useEverything = [&form] {
    form.FormActivate();
    for (QAction* a : {form.New1, form.Open1, form.Exit1}) a->trigger();
  };
  useEverything();  // without a main window the calls go nowhere
  FakeFrame frame;
  SetFrameCalls(&frame);
  prompts.saveAnswers << dir.path("zad104.txt");
  form.SaveAs1->trigger();
  useEverything();
  SetFrameCalls(nullptr);
  QCOMPARE(frame.calls,
           QStringList({"RunBtnVis " + dir.path("zad104.txt"), "NewChild", "OpenChild", "Exit1Click"}));
}

REACTOPT_GUI_TEST_MAIN(EditFormTest)
#include "EditFormTest.moc"
