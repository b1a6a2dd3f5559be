#pragma once
// Printing a document's lines the way a line printer channel lays them out:
// from the top left of the printable area, a line too wide for the page goes
// on in the next printed row, a full page starts the next one, and a tab
// advances to the next multiple of eight average character widths.

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;

class QPrinter;

namespace textprint {

// A run of text without tabs, starting at x.
struct Piece {
  qreal x = 0;
  QString text;
};

// One printed row: its page (from 0), the top of the row and its pieces.
struct Row {
  int page = 0;
  qreal y = 0;
  QList<Piece> pieces;
};

QList<Row> Layout(const QStringList& lines, const QFontMetricsF& metrics, const QSizeF& page);

// The font of `screenFont` at the same physical size on a printer; fonts given
// in screen pixels would otherwise shrink to printer dots.
QFont ForPrinter(const QFont& screenFont, int screenDpi);

// The printer of the program, shared by printing and printer set-up so that a
// choice made in either holds for the next job.
QPrinter& SharedPrinter();

// A picture printed under the text: `draw` paints it into the rectangle it
// is given, which is `size` points large, or smaller in its proportions on
// a page that cannot hold that.
struct Picture {
  QSizeF size;
  std::function<void(QPainter& painter, const QRectF& target)> draw;
};

// Margins of about 2 cm on every side, or the printer's own where they are
// wider: the page's edge is out of a printer's reach and out of a reader's.
constexpr qreal kMarginMillimetres = 20;

// Prints `lines` in `font` as one job, and `picture`, when given, under the
// text: on the text's last page where it fits there, otherwise on a page of
// its own. False when the printer failed.
bool PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font,
                const Picture* picture = nullptr);

}  // namespace textprint
