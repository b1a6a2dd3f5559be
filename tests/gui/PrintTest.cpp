// Printing a document: the line printer layout and a whole job through the
// print dialog into a PDF file, as on a machine without a printer.

#include <QFontInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include "GuiTestSupport.h"
#include "result_windows/MDIEdit.h"
#include "result_windows/TextPrinter.h"
#include "solvers/RunOpt.h"

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

// The words of a PDF file's pages with their boxes, in points from the top
// left corner of their page, as a reader's text extraction finds them.
QList<QPair<QString, QRectF>> PdfWords(const QString& pdf) {
  QProcess extract;
  extract.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
  extract.waitForFinished(30000);
  static const QRegularExpression word(
      QStringLiteral(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<)re"));
  QList<QPair<QString, QRectF>> words;
  for (const auto& m : word.globalMatch(QString::fromUtf8(extract.readAllStandardOutput())))
    words.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                        QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
  return words;
}

// The user picks "Print to File (PDF)" on A4 in the print dialog, into the
// file `pdf` names when the dialog comes up, and cancels it while `*accept`
// is false.
std::function<bool(QPrinter&)> PrintToPdf(const QString& pdf, const bool* accept = nullptr) {
  return [&pdf, accept](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return !accept || *accept;
  };
}

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutWrapsTabsAndPages();
  void printsTheTextToPdfInItsFont();
  void aResultWindowPrintsReportAndChartOnOnePageWithinMargins();
  void theChartPrintsAtOneSizeWhateverTheWindowsSize();
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
  prompts.script.print = PrintToPdf(pdfFile, &accept);
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

// Print to PDF of a result window: a report as long as the longest, then its
// chart under it on the same page, everything at least 2 cm from the page's
// edges.
void PrintTest::aResultWindowPrintsReportAndChartOnOnePageWithinMargins() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  const QString pdfFile = dir.path("result.pdf");
  prompts.script.print = PrintToPdf(pdfFile);
  for (int k = 0; k < kChartSize; ++k) ChartX[k] = ChartY1[k] = ChartY2[k] = k / 20.0;
  RunSucceeded = true;
  TEditForm form;
  QStringList report;
  for (int i = 1; i <= 40; ++i) report << QStringLiteral("Строка%1 отчёта %2").arg(i).arg(QString(60, u'x'));
  form.Memo1->setPlainText(report.join('\n'));
  form.ChartDisplay(101);
  form.SetResultLayout(true);
  form.show();
  form.Print1->trigger();
  QVERIFY(prompts.errors.isEmpty());

  QCOMPARE(PdfPages(ReadBytes(pdfFile)), 1);
  const auto words = PdfWords(pdfFile);
  QVERIFY2(!words.isEmpty(), "pdftotext (poppler-utils) found no text");
  const qreal margin = 20 / 25.4 * 72 - 0.5;  // 2 cm in points, on A4
  const QRectF inside(margin, margin, 595.3 - 2 * margin, 841.9 - 2 * margin);
  QVERIFY(words.first().second.left() < margin + 2);  // the text starts at the margin
  const qreal reportBottom = words[40 * 3 - 1].second.bottom();
  int chartTexts = 0;
  for (const auto& [text, box] : words) {
    QVERIFY2(inside.contains(box), qPrintable(text));
    // Twice "конверсии" (title and foot), twice "1.0", all under the report.
    if (text == QStringLiteral("конверсии") || text == QStringLiteral("1.0"))
      chartTexts += box.top() > reportBottom ? 1 : 100;
  }
  QCOMPARE(chartTexts, 4);
}

// The chart's texts come out at one physical size from a window at its
// opening size, a small one and a large one: that of a chart on a screen of
// the same resolution, as the report's text does.
void PrintTest::theChartPrintsAtOneSizeWhateverTheWindowsSize() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  QString pdfFile;
  prompts.script.print = PrintToPdf(pdfFile);
  for (int k = 0; k < kChartSize; ++k) ChartX[k] = ChartY1[k] = ChartY2[k] = k / 20.0;
  RunSucceeded = true;
  TEditForm form;
  form.Memo1->setPlainText(QStringLiteral("Отчет"));
  form.ChartDisplay(101);
  form.SetResultLayout(true);
  form.show();
  QStringList heights;
  for (const QSize size : {form.size(), form.minimumSize(), QSize(1360, 700)}) {
    form.resize(size);
    QCoreApplication::processEvents();
    pdfFile = dir.path(QStringLiteral("chart-%1.pdf").arg(size.width()));
    form.Print1->trigger();
    QVERIFY(prompts.errors.isEmpty());
    QString seen;
    for (const auto& [text, box] : PdfWords(pdfFile))
      if (text == QStringLiteral("Зависимость") || text == QStringLiteral("0.5"))
        seen += QStringLiteral("%1 %2 ").arg(text).arg(box.height(), 0, 'f', 1);
    heights << seen.trimmed();
  }
  QCOMPARE(heights[1], heights[0]);
  QCOMPARE(heights[2], heights[0]);
  // The title's 13 pixels at the screen's resolution, in points, give the
  // height of its line of text as a reader's text extraction measures it.
  const qreal title = 13 * 72.0 / form.logicalDpiY();
  const qreal measured = heights[0].section(QLatin1Char(' '), 1, 1).toDouble();
  QVERIFY2(measured > title && measured < 1.4 * title, qPrintable(heights[0]));
}

REACTOPT_GUI_TEST_MAIN(PrintTest)
#include "PrintTest.moc"
