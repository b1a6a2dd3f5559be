// The document window: loading and saving Windows-1251 text with a backup,
// the close question, the editing and character menus, and its calls into the
// main window.

#include <sys/resource.h>
#include <sys/stat.h>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <csignal>
#include <memory>

#include "GuiTestSupport.h"
#include "result_windows/ChartOpt.h"
#include "result_windows/DocumentText.h"
#include "result_windows/FrameCalls.h"
#include "result_windows/MDIEdit.h"

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

class FakeFrame : public TFrameCalls {
 public:
  QStringList calls;
  void RunBtnVis(const QString& caption) override { calls << QStringLiteral("RunBtnVis ") + caption; }
  void NewChild() override { calls << QStringLiteral("NewChild"); }
  void OpenChild() override { calls << QStringLiteral("OpenChild"); }
  void Exit1Click() override { calls << QStringLiteral("Exit1Click"); }
};

// Files may grow to `bytes` only while it lives, as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

}  // namespace

class EditFormTest : public QObject {
  Q_OBJECT

 private slots:
  void loadsWindows1251WithAnyLineEnd();
  void everyByteSurvivesLoadAndSave();
  void openFailureKeepsTextAndCaption();
  void backupNameRule_data();
  void backupNameRule();
  void eachSaveKeepsThePreviousVersionAsBak();
  void bakFileIsItsOwnBackup();
  void nameWithoutExtensionInDottedFolder();
  void newWindowSavesThroughSaveAs();
  void failedWriteLeavesFileAndBackupAlone();
  void unsavableFolderOrNameIsRefused();
  void characterOutsideCodePageRefusesTheSave();
  void closeQuery();
  void closeQueryKeepsWindowWhenSaveDoesNotHappen();
  void resultWindowSavesTheReportUnderItsCaption();
  void editItemsFollowSelectionAndClipboard();
  void deleteLeavesTheClipboardAlone();
  void wordWrapTogglesTheScrollBars();
  void textKeepsItsMargins();
  void alignmentItemsActAsOneGroup();
  void fontDialogChangesTheFontOnlyWhenConfirmed();
  void menusAndShortcuts();
  void shortcutsActOnTheFocusedWindowOnly();
  void callsIntoTheMainWindow();
  void layoutWithAndWithoutChart();
};

void EditFormTest::loadsWindows1251WithAnyLineEnd() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const QString name = dir.path("zad101.txt");
  // "Задача" CR LF, "b" LF, "c" CR, "d" without a line end; an empty line.
  WriteBytes(name, "\xC7\xE0\xE4\xE0\xF7\xE0\r\nb\nc\r\r\nd");
  TEditForm form;
  QVERIFY(form.Open(name));
  QCOMPARE(doctext::Lines(form.Memo1->toPlainText()),
           QStringList({QStringLiteral("Задача"), "b", "c", "", "d"}));
  QCOMPARE(form.windowTitle(), name);
  QCOMPARE(form.FileName(), name);
  QCOMPARE(form.Memo1->textCursor().position(), 0);
  QVERIFY(!Modified(form));

  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(name), QByteArray("\xC7\xE0\xE4\xE0\xF7\xE0\r\nb\r\nc\r\n\r\nd\r\n"));
  QVERIFY(prompts.errors.isEmpty());
}

void EditFormTest::everyByteSurvivesLoadAndSave() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  // All bytes but the line ends, in lines of 16, the last line end included:
  // the non-breaking space 0xA0 and the unassigned 0x98 come back as they were.
  QByteArray original;
  for (int b = 0; b < 256; ++b) {
    if (b == '\r' || b == '\n') continue;
    original += static_cast<char>(b);
    if (b % 16 == 15) original += "\r\n";
  }
  original += "\r\n\r\n";  // a trailing empty line is kept too
  WriteBytes(dir.path("all.txt"), original);
  TEditForm form;
  QVERIFY(form.Open(dir.path("all.txt")));
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(dir.path("all.txt")), original);
  QCOMPARE(ReadBytes(dir.path("all.BAK")), original);
}

void EditFormTest::openFailureKeepsTextAndCaption() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  TEditForm form;
  Type(form, QStringLiteral("kept"));
  const QString missing = dir.path("missing.txt");
  QVERIFY(!form.Open(missing));
  QCOMPARE(prompts.errors, QStringList(QStringLiteral("Cannot open file ") + missing));
  QCOMPARE(form.FileName(), missing);
  QCOMPARE(form.windowTitle(), QStringLiteral("Untitled"));
  QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("kept"));

  // Neither a folder nor a pipe is a text file; reading a pipe would wait for
  // a writer for ever.
  prompts.errors.clear();
  QVERIFY(!form.Open(dir.path(".")));
  QCOMPARE(::mkfifo(QFile::encodeName(dir.path("pipe")).constData(), 0600), 0);
  QVERIFY(!form.Open(dir.path("pipe")));
  QCOMPARE(prompts.errors.size(), 2);
}

void EditFormTest::backupNameRule_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("backup");
  QTest::newRow("extension") << "/d/report.txt" << "/d/report.BAK";
  QTest::newRow("last dot") << "/d/a.b.c" << "/d/a.b.BAK";
  QTest::newRow("no extension") << "/d/report" << "/d/report.BAK";
  QTest::newRow("dotted folder") << "/d/my.folder/report" << "/d/my.folder/report.BAK";
  QTest::newRow("bak") << "/d/x.BAK" << "/d/x.BAK";
  QTest::newRow("relative") << "Opt.Out" << "Opt.BAK";
}

void EditFormTest::backupNameRule() {
  QFETCH(QString, name);
  QFETCH(QString, backup);
  QCOMPARE(doctext::BackupName(name), backup);
}

void EditFormTest::eachSaveKeepsThePreviousVersionAsBak() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  WriteBytes(dir.path("report.txt"), "v0\r\n");
  WriteBytes(dir.path("report.dat"), "other\r\n");
  TEditForm form;
  QVERIFY(form.Open(dir.path("report.txt")));
  Type(form, QStringLiteral("v1"));
  QVERIFY(Modified(form));
  QVERIFY(form.Save1Click());
  QVERIFY(!Modified(form));
  QCOMPARE(ReadBytes(dir.path("report.txt")), QByteArray("v1\r\n"));
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("v0\r\n"));

  Type(form, QStringLiteral("v2"));
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(dir.path("report.txt")), QByteArray("v2\r\n"));
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("v1\r\n"));

  // A file of the same name with another extension shares the backup.
  TEditForm other;
  QVERIFY(other.Open(dir.path("report.dat")));
  QVERIFY(other.Save1Click());
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("other\r\n"));
  QCOMPARE(dir.entries(), QStringList({"report.BAK", "report.dat", "report.txt"}));
  QVERIFY(prompts.errors.isEmpty());
}

void EditFormTest::bakFileIsItsOwnBackup() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  for (const QString& name : {QStringLiteral("x.BAK"), QStringLiteral("y.bak")}) {
    WriteBytes(dir.path(name), "old\r\n");
    TEditForm form;
    QVERIFY(form.Open(dir.path(name)));
    Type(form, QStringLiteral("new"));
    QVERIFY(form.Save1Click());
    QCOMPARE(ReadBytes(dir.path(name)), QByteArray("new\r\n"));
  }
  QCOMPARE(dir.entries(), QStringList({"x.BAK", "y.bak"}));
}

void EditFormTest::nameWithoutExtensionInDottedFolder() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  QVERIFY(QDir(dir.path(".")).mkdir("my.folder"));
  const QString name = dir.path("my.folder/report");
  WriteBytes(name, "old\r\n");
  TEditForm form;
  QVERIFY(form.Open(name));
  Type(form, QStringLiteral("new"));
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(name), QByteArray("new\r\n"));
  QCOMPARE(ReadBytes(dir.path("my.folder/report.BAK")), QByteArray("old\r\n"));
  QCOMPARE(dir.entries(), QStringList({"my.folder"}));
}

void EditFormTest::newWindowSavesThroughSaveAs() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  TEditForm form;
  Type(form, QStringLiteral("text"));

  prompts.saveAnswers << "";
  QVERIFY(!form.Save1Click());
  QCOMPARE(prompts.savePresets, QStringList(QString()));
  QVERIFY(dir.entries().isEmpty());
  QVERIFY(Modified(form));
  QCOMPARE(form.windowTitle(), QStringLiteral("Untitled"));

  const QString name = dir.path("zad105.txt");
  prompts.saveAnswers << name;
  QVERIFY(form.Save1Click());
  QCOMPARE(form.FileName(), name);
  QCOMPARE(form.windowTitle(), name);
  QCOMPARE(ReadBytes(name), QByteArray("text\r\n"));
  QCOMPARE(dir.entries(), QStringList({"zad105.txt"}));
  QVERIFY(!Modified(form));

  // Save As offers the present name.
  prompts.saveAnswers << "";
  QVERIFY(!form.SaveAs1Click());
  QCOMPARE(prompts.savePresets.last(), name);
}

void EditFormTest::failedWriteLeavesFileAndBackupAlone() {
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
  QCOMPARE(prompts.errors, QStringList(QStringLiteral("Cannot create file ") + name));
  QVERIFY(Modified(form));
  QCOMPARE(ReadBytes(name), QByteArray("current\r\n"));
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("previous\r\n"));
  QCOMPARE(dir.entries(), QStringList({"report.BAK", "report.txt"}));

  // With room on the disk again the same save goes through.
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(name).size(), 100002);
  QCOMPARE(ReadBytes(dir.path("report.BAK")), QByteArray("current\r\n"));
}

void EditFormTest::unsavableFolderOrNameIsRefused() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  TEditForm form;
  Type(form, QStringLiteral("text"));

  const QString noFolder = dir.path("no-such-folder/x.txt");
  prompts.saveAnswers << noFolder;
  QVERIFY(!form.Save1Click());
  QCOMPARE(prompts.errors, QStringList(QStringLiteral("Cannot create file ") + noFolder));
  QVERIFY(Modified(form));

  // A folder or a pipe of that name is neither replaced nor moved away as a
  // backup.
  QVERIFY(QDir(dir.path(".")).mkdir("sub"));
  QCOMPARE(::mkfifo(QFile::encodeName(dir.path("pipe")).constData(), 0600), 0);
  prompts.saveAnswers << dir.path("sub") << dir.path("pipe");
  QVERIFY(!form.SaveAs1Click());
  QVERIFY(!form.SaveAs1Click());
  QCOMPARE(prompts.errors.size(), 3);
  QVERIFY(QFileInfo(dir.path("sub")).isDir());
  QVERIFY(!QFileInfo(dir.path("pipe")).isFile());
  QCOMPARE(dir.entries(), QStringList({"pipe", "sub"}));
}

void EditFormTest::characterOutsideCodePageRefusesTheSave() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const QString name = dir.path("notes.txt");
  WriteBytes(name, "old\r\n");
  TEditForm form;
  QVERIFY(form.Open(name));
  Type(form, QStringLiteral("Выход ≈ 0.25\nсм. 😀"));
  QVERIFY(!form.Save1Click());
  QCOMPARE(prompts.errors.size(), 1);
  QVERIFY2(prompts.errors[0].contains(QStringLiteral("'≈'")) && prompts.errors[0].contains("U+2248") &&
               prompts.errors[0].contains(name),
           qPrintable(prompts.errors[0]));
  QCOMPARE(form.Memo1->textCursor().selectedText(), QStringLiteral("≈"));
  QVERIFY(Modified(form));
  QCOMPARE(ReadBytes(name), QByteArray("old\r\n"));
  QCOMPARE(dir.entries(), QStringList({"notes.txt"}));

  // Characters beyond the basic plane are named whole.
  form.Memo1->textCursor().insertText(QStringLiteral("~"));
  QVERIFY(!form.Save1Click());
  QVERIFY2(prompts.errors[1].contains("U+1F600"), qPrintable(prompts.errors[1]));
  QCOMPARE(form.Memo1->textCursor().selectedText(), QStringLiteral("😀"));

  form.Memo1->textCursor().insertText(QStringLiteral(":-)"));
  QVERIFY(form.Save1Click());
  QCOMPARE(ReadBytes(name), QByteArray("\xC2\xFB\xF5\xEE\xE4 ~ 0.25\r\n\xF1\xEC. :-)\r\n"));
}

void EditFormTest::closeQuery() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const QString name = dir.path("task.txt");
  WriteBytes(name, "old\r\n");

  // Unmodified: closes without a question.
  QPointer<TEditForm> form = new TEditForm;
  QVERIFY(form->Open(name));
  QVERIFY(form->close());
  QVERIFY(Destroyed(form));
  QVERIFY(prompts.confirmTexts.isEmpty());

  // Cancel keeps the window and its text.
  form = new TEditForm;
  QVERIFY(form->Open(name));
  Type(*form, QStringLiteral("edited"));
  prompts.confirmAnswers << QMessageBox::Cancel;
  QVERIFY(!form->close());
  QVERIFY(!Destroyed(form));
  QCOMPARE(prompts.confirmTexts, QStringList(QStringLiteral("Save Changes to '") + name + "'?"));
  QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("edited"));

  // No closes without saving.
  prompts.confirmAnswers << QMessageBox::No;
  QVERIFY(form->close());
  QVERIFY(Destroyed(form));
  QCOMPARE(ReadBytes(name), QByteArray("old\r\n"));

  // Yes saves, then closes.
  form = new TEditForm;
  QVERIFY(form->Open(name));
  Type(*form, QStringLiteral("saved"));
  prompts.confirmAnswers << QMessageBox::Yes;
  QVERIFY(form->close());
  QVERIFY(Destroyed(form));
  QCOMPARE(ReadBytes(name), QByteArray("saved\r\n"));
  QCOMPARE(ReadBytes(dir.path("task.BAK")), QByteArray("old\r\n"));
  QCOMPARE(prompts.confirmTexts.size(), 3);
  QVERIFY(prompts.errors.isEmpty());
}

void EditFormTest::closeQueryKeepsWindowWhenSaveDoesNotHappen() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  QPointer<TEditForm> form = new TEditForm;
  Type(*form, QStringLiteral("new text"));

  // Yes, then Save As cancelled: the text is not thrown away.
  prompts.confirmAnswers << QMessageBox::Yes;
  prompts.saveAnswers << "";
  QVERIFY(!form->close());
  QVERIFY(!Destroyed(form));
  QCOMPARE(prompts.confirmTexts, QStringList("Save Changes to 'Untitled'?"));
  QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("new text"));
  QVERIFY(Modified(*form));

  // Yes, then a save that fails.
  prompts.confirmAnswers << QMessageBox::Yes;
  prompts.saveAnswers << dir.path("no-such-folder/x.txt");
  QVERIFY(!form->close());
  QVERIFY(!Destroyed(form));
  QCOMPARE(prompts.errors.size(), 1);

  // Yes, then a text the code page cannot hold.
  Type(*form, QStringLiteral("√2"));
  prompts.confirmAnswers << QMessageBox::Yes;
  QVERIFY(!form->close());
  QVERIFY(!Destroyed(form));
  QCOMPARE(prompts.errors.size(), 2);

  // The main window asks the same question before the program ends.
  prompts.confirmAnswers << QMessageBox::Cancel;
  QVERIFY(!form->FormCloseQuery());
  prompts.confirmAnswers << QMessageBox::No;
  QVERIFY(form->FormCloseQuery());
  delete form;
}

void EditFormTest::resultWindowSavesTheReportUnderItsCaption() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  WriteBytes(dir.path("Opt.Out"), "report\r\n");
  QPointer<TEditForm> form = new TEditForm;
  QVERIFY(form->Open("Opt.Out"));
  form->setWindowTitle("zad101.out( 1)");
  Type(*form, QStringLiteral("report, annotated"));
  prompts.confirmAnswers << QMessageBox::Yes;
  QVERIFY(form->close());
  QCOMPARE(prompts.confirmTexts, QStringList("Save Changes to 'zad101.out( 1)'?"));
  QCOMPARE(ReadBytes(dir.path("Opt.Out")), QByteArray("report, annotated\r\n"));
  QCOMPARE(ReadBytes(dir.path("Opt.BAK")), QByteArray("report\r\n"));
}

void EditFormTest::editItemsFollowSelectionAndClipboard() {
  TEditForm form;
  form.Memo1->setPlainText("some text");
  QClipboard* clipboard = QGuiApplication::clipboard();
  const auto enabled = [&form] {
    QString s;
    for (QAction* a : {form.Cut1, form.Copy1, form.Paste1, form.Delete1, form.SelectAll1, form.Cut2,
                       form.Copy2, form.Paste2})
      s += a->isEnabled() ? '1' : '0';
    return s;
  };
  const auto openEditMenu = [&form] {
    form.Edit1->popup(QPoint(0, 0));
    form.Edit1->hide();
  };

  // Only an image on the clipboard: nothing to paste.
  auto* image = new QMimeData;
  image->setImageData(QImage(2, 2, QImage::Format_RGB32));
  clipboard->setMimeData(image);
  openEditMenu();
  QCOMPARE(enabled(), QStringLiteral("00001000"));

  clipboard->setText("clip");
  form.Memo1->selectAll();
  openEditMenu();
  QCOMPARE(enabled(), QStringLiteral("11111111"));

  // The context menu updates them too.
  clipboard->clear();
  form.Memo1->moveCursor(QTextCursor::End);
  form.MemoPopUp->popup(QPoint(0, 0));
  form.MemoPopUp->hide();
  QCOMPARE(enabled(), QStringLiteral("00001000"));

  // And the items do what they say.
  form.Memo1->selectAll();
  form.MemoPopUp->popup(QPoint(0, 0));
  form.MemoPopUp->hide();
  form.Copy2->trigger();
  QCOMPARE(clipboard->text(), QStringLiteral("some text"));
  form.Memo1->moveCursor(QTextCursor::End);
  openEditMenu();
  form.Paste1->trigger();
  QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("some textsome text"));
  QVERIFY(Modified(form));
}

void EditFormTest::deleteLeavesTheClipboardAlone() {
  TEditForm form;
  form.Memo1->setPlainText("keep this");
  form.Memo1->document()->setModified(false);
  QGuiApplication::clipboard()->setText("clip");
  QTextCursor cursor = form.Memo1->textCursor();
  cursor.setPosition(4);
  cursor.setPosition(9, QTextCursor::KeepAnchor);
  form.Memo1->setTextCursor(cursor);
  form.Delete1->trigger();
  QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("keep"));
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("clip"));
  QVERIFY(Modified(form));
}

void EditFormTest::wordWrapTogglesTheScrollBars() {
  TEditForm form;
  form.Memo1->setPlainText(QString(200, u'w'));
  form.show();
  QVERIFY(!form.WordWrap1->isChecked());
  QCOMPARE(form.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
  QCOMPARE(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QCOMPARE(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QVERIFY(form.Memo1->horizontalScrollBar()->isVisible());

  form.WordWrap1->trigger();
  QVERIFY(form.WordWrap1->isChecked());
  QCOMPARE(form.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  QCOMPARE(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  QCOMPARE(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QVERIFY(!form.Memo1->horizontalScrollBar()->isVisible());
  QVERIFY(form.Memo1->document()->firstBlock().layout()->lineCount() > 1);

  form.WordWrap1->trigger();
  QVERIFY(!form.WordWrap1->isChecked());
  QCOMPARE(form.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
  QCOMPARE(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QVERIFY(form.Memo1->horizontalScrollBar()->isVisible());
  QCOMPARE(form.Memo1->document()->firstBlock().layout()->lineCount(), 1);
}

void EditFormTest::textKeepsItsMargins() {
  ScriptedPrompts prompts;
  prompts.script.chooseFont = [](QFont& font) {
    font.setPixelSize(20);
    return true;
  };
  TEditForm form;
  form.Memo1->setPlainText("x");
  form.show();
  const auto textOrigin = [&form] {
    const QRect caret = form.Memo1->cursorRect(QTextCursor(form.Memo1->document()));
    return form.Memo1->viewport()->mapTo(form.Memo1, caret.topLeft());
  };
  QCOMPARE(textOrigin(), QPoint(3, 2));
  form.WordWrap1->trigger();
  QCOMPARE(textOrigin(), QPoint(3, 2));
  form.Font1->trigger();
  QCOMPARE(textOrigin(), QPoint(3, 2));
}

void EditFormTest::alignmentItemsActAsOneGroup() {
  TEditForm form;
  const auto checks = [&form] {
    return QString("%1%2%3")
        .arg(form.Left1->isChecked())
        .arg(form.Right1->isChecked())
        .arg(form.Center1->isChecked());
  };
  const auto alignment = [&form] { return form.Memo1->document()->defaultTextOption().alignment(); };
  QCOMPARE(checks(), QStringLiteral("100"));
  form.Right1->trigger();
  QCOMPARE(checks(), QStringLiteral("010"));
  QCOMPARE(alignment(), Qt::AlignRight);
  form.Center1->trigger();
  QCOMPARE(checks(), QStringLiteral("001"));
  QCOMPARE(alignment(), Qt::AlignHCenter);
  form.Center1->trigger();  // choosing the checked item again keeps it
  QCOMPARE(checks(), QStringLiteral("001"));
  form.Left1->trigger();
  QCOMPARE(checks(), QStringLiteral("100"));
  QCOMPARE(alignment(), Qt::AlignLeft);
}

void EditFormTest::fontDialogChangesTheFontOnlyWhenConfirmed() {
  ScriptedPrompts prompts;
  QFont offered;
  bool confirm = false;
  prompts.script.chooseFont = [&](QFont& font) {
    offered = font;
    font = QFont("Liberation Serif");
    font.setPixelSize(20);
    return confirm;
  };
  TEditForm form;
  QCOMPARE(form.Memo1->font().family(), QStringLiteral("Courier New"));
  QCOMPARE(form.Memo1->font().pixelSize(), 13);
  form.Font1->trigger();
  QCOMPARE(offered, form.Memo1->font());
  QCOMPARE(form.Memo1->font().pixelSize(), 13);
  confirm = true;
  form.Font1->trigger();
  QCOMPARE(form.Memo1->font().family(), QStringLiteral("Liberation Serif"));
  QCOMPARE(form.Memo1->font().pixelSize(), 20);
}

void EditFormTest::menusAndShortcuts() {
  TEditForm form;
  QStringList titles;
  for (QMenu* menu : form.MergedMenus()) titles << menu->title();
  QCOMPARE(titles, QStringList({"&File", "&Edit", "&Character"}));

  const auto items = [](QMenu* menu) {
    QStringList list;
    for (QAction* a : menu->actions()) {
      QString item = a->isSeparator() ? QStringLiteral("-") : a->text();
      if (!a->shortcut().isEmpty()) item += QStringLiteral(" = ") + a->shortcut().toString();
      list << item;
    }
    return list;
  };
  QCOMPARE(items(form.File1), QStringList({"&New = Ctrl+N", "&Open = Ctrl+O", "&Close", "-", "&Save = Ctrl+S",
                                           "Save &As...", "-", "&Print = Ctrl+P", "Prin&t Setup...", "-",
                                           "E&xit"}));
  QCOMPARE(items(form.Edit1), QStringList({"Cu&t = Ctrl+X", "&Copy = Ctrl+C", "&Paste = Ctrl+V",
                                           "De&lete = Del", "-", "Select &All"}));
  QCOMPARE(items(form.Character1),
           QStringList({"&Left", "&Right", "&Center", "-", "&WordWrap", "-", "&Font..."}));
  QCOMPARE(items(form.MemoPopUp), QStringList({"Cut", "Copy", "Paste"}));
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
  QVERIFY(a->Open(dir.path("a.txt")));
  QVERIFY(b->Open(dir.path("b.txt")));
  area.resize(800, 600);
  area.show();
  QVERIFY(QTest::qWaitForWindowActive(&area));
  area.setActiveSubWindow(a);
  a->Memo1->setFocus();
  QTRY_VERIFY(a->Memo1->hasFocus());
  QTest::keyClicks(a->Memo1, "1");
  QTest::keyClicks(b->Memo1, "2");
  QVERIFY(Modified(*a) && Modified(*b));

  QTest::keyClick(a->Memo1, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(ReadBytes(dir.path("a.txt")), QByteArray("1a\r\n"));
  QCOMPARE(ReadBytes(dir.path("b.txt")), QByteArray("b\r\n"));
  QVERIFY(!Modified(*a));
  QVERIFY(Modified(*b));
  QVERIFY(prompts.errors.isEmpty());
  b->Memo1->document()->setModified(false);
}

void EditFormTest::callsIntoTheMainWindow() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  TEditForm form;
  // Without a main window the calls go nowhere.
  form.FormActivate();
  form.New1->trigger();
  form.Open1->trigger();
  form.Exit1->trigger();

  FakeFrame frame;
  SetFrameCalls(&frame);
  form.FormActivate();
  prompts.saveAnswers << dir.path("zad104.txt");
  form.SaveAs1->trigger();
  form.FormActivate();
  form.New1->trigger();
  form.Open1->trigger();
  form.Exit1->trigger();
  SetFrameCalls(nullptr);
  QCOMPARE(frame.calls, QStringList({"RunBtnVis Untitled", "RunBtnVis " + dir.path("zad104.txt"), "NewChild",
                                     "OpenChild", "Exit1Click"}));
}

void EditFormTest::layoutWithAndWithoutChart() {
  QMdiArea area;
  auto* form = new TEditForm;
  area.addSubWindow(form);
  area.resize(1000, 700);
  area.show();
  QCOMPARE(form->windowTitle(), QStringLiteral("Untitled"));

  form->SetResultLayout(false);
  QVERIFY(!form->ChartOpt->isVisible());
  form->resize(500, 300);
  QCOMPARE(form->Memo1->geometry(), form->widget()->rect());

  form->SetResultLayout(true);
  QVERIFY(form->ChartOpt->isVisible());
  QCOMPARE(form->Memo1->geometry(), QRect(0, 0, 297, 393));
  QCOMPARE(form->ChartOpt->geometry(), QRect(296, 0, 353, 393));
  QCOMPARE(form->widget()->size(), QSize(649, 393));
  // The text keeps its designed size when the window grows.
  form->resize(900, 600);
  QCOMPARE(form->Memo1->geometry(), QRect(0, 0, 297, 393));
}

REACTOPT_GUI_TEST_MAIN(EditFormTest)
#include "EditFormTest.moc"
