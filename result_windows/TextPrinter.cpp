#include "TextPrinter.h"

#include <QCoreApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace textprint {
namespace {

QPrinter* sharedPrinter = nullptr;

void DeleteSharedPrinter() {
  delete sharedPrinter;
  sharedPrinter = nullptr;
}

}  // namespace

QPrinter& SharedPrinter() {
  if (!sharedPrinter) {
    sharedPrinter = new QPrinter(QPrinter::HighResolution);
    // Gone with the application object, before the platform plugins it uses.
    qAddPostRoutine(DeleteSharedPrinter);
  }
  return *sharedPrinter;
}

QList<Row> Layout(const QStringList& lines, const QFontMetricsF& metrics, const QSizeF& page) {
  const qreal lineHeight = metrics.lineSpacing();
  const qreal tabWidth = 8 * metrics.averageCharWidth();
  QList<Row> rows;
  int pageNo = 0;
  qreal y = 0;
  qreal x = 0;
  const auto startRow = [&] {
    rows.append(Row{pageNo, y, {}});
    x = 0;
  };
  const auto endRow = [&] {
    y += lineHeight;
    // A page takes rows while one more fits; a row taller than the page still
    // gets a page of its own, so the layout always moves on.
    if (y + lineHeight > page.height()) {
      ++pageNo;
      y = 0;
    }
  };
  for (const QString& line : lines) {
    startRow();
    bool inPiece = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
      if (line[i] == u'\t') {
        const qreal next = tabWidth > 0 ? (std::floor(x / tabWidth + 1e-9) + 1) * tabWidth : x;
        if (next > page.width()) {
          endRow();
          startRow();
        } else {
          x = next;
        }
        inPiece = false;
        continue;
      }
      // A surrogate pair is one character.
      const qsizetype len =
          (line[i].isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) ? 2 : 1;
      const QString ch = line.mid(i, len);
      i += len - 1;
      const qreal w = metrics.horizontalAdvance(ch);
      if (x > 0 && x + w > page.width()) {
        endRow();
        startRow();
        inPiece = false;
      }
      if (!inPiece) {
        rows.last().pieces.append(Piece{x, {}});
        inPiece = true;
      }
      rows.last().pieces.last().text += ch;
      x += w;
    }
    endRow();
  }
  return rows;
}

QFont ForPrinter(const QFont& screenFont, int screenDpi) {
  QFont font = screenFont;
  if (screenFont.pixelSize() > 0 && screenDpi > 0)
    font.setPointSizeF(screenFont.pixelSize() * 72.0 / screenDpi);
  return font;
}

namespace {

void UseOrdinaryMargins(QPrinter& printer) {
  const QMarginsF now = printer.pageLayout().margins(QPageLayout::Millimeter);
  const auto atLeast = [](qreal margin) { return std::max(margin, kMarginMillimetres); };
  printer.setPageMargins(
      QMarginsF(atLeast(now.left()), atLeast(now.top()), atLeast(now.right()), atLeast(now.bottom())),
      QPageLayout::Millimeter);
}

// Where the picture goes: at its own size, centred, or smaller in its
// proportions where the page is narrower or lower than the picture.
QRectF PictureBox(const QSizeF& picture, const QSizeF& page, qreal top) {
  const qreal scale = std::min({1.0, page.width() / picture.width(), page.height() / picture.height()});
  const QSizeF size = picture * scale;
  return {(page.width() - size.width()) / 2, top, size.width(), size.height()};
}

}  // namespace

bool PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font, const Picture* picture) {
  printer.setDocName(QString());
  UseOrdinaryMargins(printer);
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(font, &printer);
  const QSizeF page(printer.width(), printer.height());
  const QList<Row> rows = Layout(lines, metrics, page);
  // The picture starts a line under the text, or at the top of a new page.
  int picturePage = rows.isEmpty() ? 0 : rows.last().page;
  qreal pictureTop = rows.isEmpty() ? 0 : rows.last().y + 2 * metrics.lineSpacing();
  const bool withPicture = picture && picture->draw && !picture->size.isEmpty();
  QRectF pictureBox;
  if (withPicture) {
    const QSizeF dots = picture->size * (printer.resolution() / 72.0);
    pictureBox = PictureBox(dots, page, pictureTop);
    if (pictureBox.bottom() > page.height() + 0.5) {
      ++picturePage;
      pictureBox = PictureBox(dots, page, 0);
    }
  }
  // Drivers that cannot make copies themselves get the document repeated.
  const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
  bool ok = true;
  for (int copy = 0; copy < copies && ok; ++copy) {
    if (copy > 0) ok = printer.newPage();
    int pageNo = 0;
    for (const Row& row : rows) {
      if (!ok) break;
      if (row.page != pageNo) {
        ok = printer.newPage();
        pageNo = row.page;
      }
      for (const Piece& piece : row.pieces)
        painter.drawText(QPointF(piece.x, row.y + metrics.ascent()), piece.text);
    }
    if (ok && withPicture) {
      if (picturePage != pageNo) ok = printer.newPage();
      painter.save();
      picture->draw(painter, pictureBox);
      painter.restore();
    }
  }
  const bool ended = painter.end();
  return ended && ok && printer.printerState() != QPrinter::Error;
}

}  // namespace textprint
