// Printing a document: the line printer layout (wrapping, tabs, pages) and a
// whole job through the print dialog into a PDF file.

#include <QFontDatabase>
#include <QFontInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpression>

#include "GuiTestSupport.h"
#include "result_windows/MDIEdit.h"
#include "result_windows/TextPrinter.h"

namespace {

QStringList RowTexts(const QList<textprint::Row>& rows) {
  QStringList texts;
  for (const textprint::Row& row : rows) {
    QString text;
    for (const textprint::Piece& piece : row.pieces) text += piece.text;
    texts << text;
  }
  return texts;
}

int PdfPages(const QByteArray& pdf) {
  return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "));
}

// Answers the print dialog by choosing a PDF file, as a user without a printer
// does.
struct PrintToPdf {
  ScriptedPrompts prompts;
  QString file;
  bool accept = true;
  int dialogs = 0;
  explicit PrintToPdf(const QString& pdf) : file(pdf) {
    prompts.script.print = [this](QPrinter& printer) {
      ++dialogs;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(file);
      printer.setPageSize(QPageSize(QPageSize::A4));
      printer.setPageOrientation(QPageLayout::Portrait);
      return accept;
    };
  }
};

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT

 private slots:
  void longLinesContinueOnTheNextRow();
  void tabsAdvanceToMultiplesOfEightCharacters();
  void fullPagesStartTheNextOne();
  void printsTheTextToPdfInItsFont();
  void cancelledOrFailedJobs();
  void printerSetUpHoldsForTheNextJob();
};

void PrintTest::longLinesContinueOnTheNextRow() {
  QFont font("Liberation Mono");
  font.setPixelSize(20);
  const QFontMetricsF fm(font);
  const qreal w = fm.horizontalAdvance(u'x');
  const auto rows = textprint::Layout({QString(25, u'x'), QString(), "end"}, fm, QSizeF(10.5 * w, 1000));
  QCOMPARE(RowTexts(rows), QStringList({QString(10, u'x'), QString(10, u'x'), QString(5, u'x'), "", "end"}));
  for (int i = 0; i < rows.size(); ++i) {
    QCOMPARE(rows[i].page, 0);
    QCOMPARE(rows[i].y, i * fm.lineSpacing());
  }
  QCOMPARE(rows[1].pieces[0].x, 0.0);
}

void PrintTest::tabsAdvanceToMultiplesOfEightCharacters() {
  QFont font("Liberation Mono");
  font.setPixelSize(20);
  const QFontMetricsF fm(font);
  const qreal tab = 8 * fm.averageCharWidth();
  const auto rows = textprint::Layout({"a\tb", "abcdefgh\tc"}, fm, QSizeF(2.5 * tab, 1000));
  QCOMPARE(RowTexts(rows), QStringList({"ab", "abcdefghc"}));
  QCOMPARE(rows[0].pieces.size(), 2);
  QCOMPARE(rows[0].pieces[1].x, tab);
  QCOMPARE(rows[1].pieces[1].x, 2 * tab);  // a full tab width already used
  // A tab past the right edge goes on from the next row's start.
  const auto edge = textprint::Layout({"\t\tfar"}, fm, QSizeF(1.5 * tab, 1000));
  QCOMPARE(RowTexts(edge), QStringList({"", "far"}));
  QCOMPARE(edge[1].pieces[0].x, 0.0);
}

void PrintTest::fullPagesStartTheNextOne() {
  QFont font("Liberation Mono");
  font.setPixelSize(20);
  const QFontMetricsF fm(font);
  const qreal ls = fm.lineSpacing();
  // Room for three rows and a half on a page.
  const auto rows = textprint::Layout({"1", "2", "3", "4", "5", "6", "7"}, fm, QSizeF(1000, 3.5 * ls));
  QList<int> pages;
  for (const auto& row : rows) pages << row.page;
  QCOMPARE(pages, QList<int>({0, 0, 0, 1, 1, 1, 2}));
  QCOMPARE(rows[3].y, 0.0);
  // A page lower than a row still takes one row, and the layout goes on.
  const auto tiny = textprint::Layout({"1", "2"}, fm, QSizeF(1000, ls / 2));
  QCOMPARE(tiny[1].page, 1);
}

void PrintTest::printsTheTextToPdfInItsFont() {
  TempWorkDir dir;
  PrintToPdf job(dir.path("out.pdf"));
  TEditForm form;
  QStringList lines;
  for (int i = 1; i <= 10; ++i) lines << QStringLiteral("Строка %1\tзначение").arg(i);
  form.Memo1->setPlainText(lines.join('\n'));
  form.Print1->trigger();
  QCOMPARE(job.dialogs, 1);
  QByteArray pdf = ReadBytes(job.file);
  QVERIFY(pdf.startsWith("%PDF"));
  QCOMPARE(PdfPages(pdf), 1);
  // The text area's font: "Courier New", which the system maps to its look-alike.
  const QString family = QFontInfo(form.Memo1->font()).family();
  QVERIFY2(pdf.contains(family.toLatin1().replace(" ", "")), qPrintable(family));
  QVERIFY(job.prompts.errors.isEmpty());

  for (int i = 11; i <= 150; ++i) lines << QStringLiteral("line %1").arg(i);
  form.Memo1->setPlainText(lines.join('\n'));
  form.Print1->trigger();
  pdf = ReadBytes(job.file);
  const int pages = PdfPages(pdf);
  QVERIFY2(pages >= 2 && pages <= 4, qPrintable(QString::number(pages)));
}

void PrintTest::cancelledOrFailedJobs() {
  TempWorkDir dir;
  PrintToPdf job(dir.path("out.pdf"));
  TEditForm form;
  form.Memo1->setPlainText("text");
  job.accept = false;
  form.Print1->trigger();
  QVERIFY(dir.entries().isEmpty());

  job.accept = true;
  job.file = dir.path("no-such-folder/out.pdf");
  form.Print1->trigger();
  QCOMPARE(job.prompts.errors, QStringList("Printing failed"));
}

void PrintTest::printerSetUpHoldsForTheNextJob() {
  TempWorkDir dir;
  PrintToPdf job(dir.path("out.pdf"));
  QPrinter* setUp = nullptr;
  job.prompts.script.printerSetup = [&setUp](QPrinter& printer) { setUp = &printer; };
  QPrinter* printed = nullptr;
  const auto print = job.prompts.script.print;
  job.prompts.script.print = [&](QPrinter& printer) {
    printed = &printer;
    return print(printer);
  };
  TEditForm first;
  TEditForm second;
  first.PrintSetup1->trigger();
  second.Print1->trigger();
  QVERIFY(setUp != nullptr);
  QCOMPARE(printed, setUp);
}

REACTOPT_GUI_TEST_MAIN(PrintTest)
#include "PrintTest.moc"
