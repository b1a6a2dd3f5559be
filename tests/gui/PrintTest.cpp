// Printing a document: the line printer layout and a whole job through the
// print dialog into a PDF file, as on a machine without a printer.

#include <QFontInfo>
#include <QPrinter>

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

int PdfPages(const QByteArray& pdf) { return static_cast<int>(pdf.count("/Type /Page\n")); }

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutWrapsTabsAndPages();
  void printsTheTextToPdfInItsFont();
};

void PrintTest::layoutWrapsTabsAndPages() {
  QFont font("Liberation Mono");
  font.setPixelSize(20);
  const QFontMetricsF fm(font);
  const qreal tab = 8 * fm.averageCharWidth();
  const qreal ls = fm.lineSpacing();
  // 20 characters to a row, three rows and a half to a page.
  const auto rows =
      textprint::Layout({QString(25, u'x'), "a\tb", "\t\t\tfar", "", "end"}, fm, QSizeF(2.5 * tab, 3.5 * ls));
  QCOMPARE(RowTexts(rows), QStringList({QString(20, u'x'), "xxxxx", "ab", "", "far", "", "end"}));
  QList<int> pages;
  QList<qreal> tops;
  for (const auto& row : rows) pages << row.page, tops << row.y / ls;
  QCOMPARE(pages, QList<int>({0, 0, 0, 1, 1, 1, 2}));
  QCOMPARE(tops, QList<qreal>({0, 1, 2, 0, 1, 2, 0}));
  // A tab goes to the next multiple of eight characters, or past the right
  // edge to the next row's start.
  QCOMPARE(rows[2].pieces[1].x, tab);
  QCOMPARE(rows[4].pieces[0].x, 0.0);
}

void PrintTest::printsTheTextToPdfInItsFont() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  QString pdfFile;
  bool accept = false;
  // The user picks "Print to File (PDF)" in the dialog.
  prompts.script.print = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return accept;
  };
  TEditForm form;
  QStringList lines;
  for (int i = 1; i <= 10; ++i) lines << QStringLiteral("Строка %1\tзначение").arg(i);
  form.Memo1->setPlainText(lines.join('\n'));

  pdfFile = dir.path("cancelled.pdf");
  form.Print1->trigger();
  QVERIFY(dir.entries().isEmpty());

  accept = true;
  pdfFile = dir.path("short.pdf");
  form.Print1->trigger();
  QByteArray pdf = ReadBytes(pdfFile);
  QVERIFY(pdf.startsWith("%PDF"));
  QCOMPARE(PdfPages(pdf), 1);
  // "Courier New", as the system renders it.
  const QString family = QFontInfo(form.Memo1->font()).family();
  QVERIFY2(pdf.contains(family.toLatin1().replace(" ", "")), qPrintable(family));

  for (int i = 11; i <= 150; ++i) lines << QStringLiteral("line %1").arg(i);
  form.Memo1->setPlainText(lines.join('\n'));
  pdfFile = dir.path("long.pdf");
  form.Print1->trigger();
  const int pages = PdfPages(ReadBytes(pdfFile));
  QVERIFY2(pages >= 2 && pages <= 4, qPrintable(QString::number(pages)));
  QVERIFY(prompts.errors.isEmpty());

  pdfFile = dir.path("no-such-folder/out.pdf");
  form.Print1->trigger();
  QCOMPARE(prompts.errors, QStringList("Printing failed"));
}

REACTOPT_GUI_TEST_MAIN(PrintTest)
#include "PrintTest.moc"
