#include "SpeedIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace {

// Pictures are drawn on a 20 by 20 grid, so they stay crisp without image files.
constexpr int kSize = 20;

void Folder(QPainter& p) {
  p.setPen(QColor(120, 90, 20));
  p.setBrush(QColor(236, 190, 70));
  p.drawRect(2, 6, 15, 10);
  p.drawRect(2, 4, 6, 2);
  p.setBrush(QColor(250, 215, 110));
  p.drawPolygon(QPolygonF({{4, 9}, {19, 9}, {17, 16}, {2, 16}}));
}

void Exit(QPainter& p) {
  p.setPen(QColor(90, 60, 30));
  p.setBrush(QColor(170, 120, 70));
  p.drawRect(3, 2, 9, 16);
  p.setBrush(QColor(240, 220, 120));
  p.drawEllipse(QPointF(10, 10), 1, 1);
  p.setPen(QPen(QColor(200, 30, 30), 2));
  p.drawLine(12, 10, 18, 10);
  p.drawLine(15, 7, 18, 10);
  p.drawLine(15, 13, 18, 10);
}

void Floppy(QPainter& p) {
  p.setPen(QColor(20, 40, 90));
  p.setBrush(QColor(60, 90, 170));
  p.drawRect(2, 2, 16, 16);
  p.setBrush(Qt::white);
  p.drawRect(5, 2, 10, 6);
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(5, 12, 10, 6);
}

void Scissors(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1.5));
  p.drawLine(6, 2, 13, 13);
  p.drawLine(14, 2, 7, 13);
  p.setPen(QPen(QColor(180, 20, 20), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(6, 15.5), 2.5, 2.5);
  p.drawEllipse(QPointF(14, 15.5), 2.5, 2.5);
}

void Pages(QPainter& p) {
  p.setPen(QColor(60, 60, 60));
  p.setBrush(Qt::white);
  p.drawRect(2, 2, 10, 12);
  p.drawRect(8, 6, 10, 12);
  for (int y = 9; y <= 15; y += 2) p.drawLine(10, y, 16, y);
}

void Clipboard(QPainter& p) {
  p.setPen(QColor(90, 60, 30));
  p.setBrush(QColor(170, 120, 70));
  p.drawRect(3, 3, 13, 15);
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(7, 1, 5, 4);
  p.setPen(QColor(60, 60, 60));
  p.setBrush(Qt::white);
  p.drawRect(8, 7, 10, 12);
}

void DataTable(QPainter& p) {
  p.setPen(QColor(40, 40, 40));
  p.setBrush(Qt::white);
  p.drawRect(2, 3, 15, 14);
  for (int y = 7; y <= 15; y += 4) p.drawLine(2, y, 17, y);
  p.drawLine(8, 3, 8, 17);
  p.setPen(QPen(QColor(20, 110, 200), 2));
  p.drawLine(11, 15, 18, 8);
}

void Play(QPainter& p) {
  p.setPen(QColor(10, 90, 10));
  p.setBrush(QColor(40, 170, 40));
  p.drawPolygon(QPolygonF({{5, 3}, {17, 10}, {5, 17}}));
}

}  // namespace

QIcon SpeedIcon(SpeedPicture picture) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (picture) {
    case SpeedPicture::Open: Folder(p); break;
    case SpeedPicture::Exit: Exit(p); break;
    case SpeedPicture::Save: Floppy(p); break;
    case SpeedPicture::Cut: Scissors(p); break;
    case SpeedPicture::Copy: Pages(p); break;
    case SpeedPicture::Paste: Clipboard(p); break;
    case SpeedPicture::DataEdit: DataTable(p); break;
    case SpeedPicture::Run: Play(p); break;
  }
  p.end();
  // The disabled state is derived by the style from this picture.
  return QIcon(pixmap);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/reactopt-%1.png").arg(size), QSize(size, size));
  return icon;
}
