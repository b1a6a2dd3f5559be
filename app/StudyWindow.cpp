#include "StudyWindow.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/WholeFile.h"
#include "result_windows/TextPrinter.h"
#include "window_services/Prompts.h"

namespace {

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString Short(double v) { return QString::number(v, 'g', 6); }

QFont ArialPx(int pixels, bool bold = false) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// About `want` round ticks from lo to hi: steps of 1, 2 or 5 times a power of ten.
std::vector<double> LinearTicks(double lo, double hi, int want) {
  std::vector<double> ticks;
  const double span = hi - lo;
  if (!(span > 0) || !std::isfinite(span)) return {lo};
  const double magnitude = std::pow(10.0, std::floor(std::log10(span / want)));
  double step = 10 * magnitude;
  for (double m : {1.0, 2.0, 5.0})
    if (span / (m * magnitude) <= want) {
      step = m * magnitude;
      break;
    }
  for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; ++k) ticks.push_back(k * step);
  return ticks;
}

// Powers of ten, with 2 and 5 between them over fewer than three decades.
std::vector<double> LogTicks(double lo, double hi) {
  std::vector<double> ticks;
  const int first = static_cast<int>(std::floor(std::log10(lo)));
  const int last = static_cast<int>(std::ceil(std::log10(hi)));
  for (int e = first; e <= last; ++e)
    for (double m : last - first < 3 ? std::vector<double>{1, 2, 5} : std::vector<double>{1}) {
      const double t = m * std::pow(10.0, e);
      if (t >= lo * (1 - 1e-9) && t <= hi * (1 + 1e-9)) ticks.push_back(t);
    }
  if (ticks.size() < 2) ticks = {lo, hi};
  return ticks;
}

double MaximumOf(const teaching::Study& study, const teaching::StudyPoint& p) {
  if (study.maximumAnswer < 0 || !p.ran) return std::nan("");
  const std::size_t i = static_cast<std::size_t>(study.maximumAnswer);
  return i < p.answers.size() ? QString::fromStdString(p.answers[i]).toDouble() : std::nan("");
}

}  // namespace

TStudyChart::TStudyChart(const teaching::Study& study, const teaching::StudyRequest& request, QWidget* parent)
    : QWidget(parent), study_(study), low_(request.low), high_(request.high), log_(request.logarithmic) {
  setMinimumSize(420, 280);
  setFocusPolicy(Qt::NoFocus);
}

void TStudyChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Paint(painter, rect());
}

void TStudyChart::Paint(QPainter& painter, const QRectF& box) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(box, Qt::white);
  const QRectF area(box.left() + 56, box.top() + 44, box.width() - 56 - 70, box.height() - 44 - 54);
  const auto share = [this](double v) {
    return log_ ? (std::log(v) - std::log(low_)) / (std::log(high_) - std::log(low_))
                : (v - low_) / (high_ - low_);
  };
  const auto xOf = [&](double v) { return area.left() + share(v) * area.width(); };
  double top = 0;
  for (const teaching::StudyPoint& p : study_.points)
    if (std::isfinite(MaximumOf(study_, p))) top = std::max(top, MaximumOf(study_, p));
  if (top <= 0) {
    top = 1;
  } else {
    const std::vector<double> t = LinearTicks(0, top, 5);
    top = t.back() >= top ? t.back() : t.back() + (t[1] - t[0]);
  }
  const auto yOf = [&](double y, double scale) { return area.bottom() - y / scale * area.height(); };
  const QString key = Utf8(study_.parameterKey);
  const bool withMaximum = study_.maximumAnswer >= 0;

  painter.setFont(ArialPx(13, true));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(box.left(), box.top() + 4, box.width(), 20), Qt::AlignHCenter,
                   QStringLiteral("Оптимум в зависимости от %1").arg(key));

  // Gaps first, under the rest: a grey band half-way to each neighbour.
  const auto& points = study_.points;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].ran) continue;
    const double x = xOf(points[i].value);
    const double before = i > 0 ? (xOf(points[i - 1].value) + x) / 2 : x - 4;
    const double after = i + 1 < points.size() ? (xOf(points[i + 1].value) + x) / 2 : x + 4;
    const double from = std::max(area.left(), std::min(before, x - 2));
    const double to = std::min(area.right(), std::max(after, x + 2));
    painter.fillRect(QRectF(from, area.top(), to - from, area.height()), QColor(150, 150, 150, 56));
    painter.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 2));
    painter.drawLine(QPointF(x - 4, area.bottom() - 12), QPointF(x + 4, area.bottom() - 4));
    painter.drawLine(QPointF(x + 4, area.bottom() - 12), QPointF(x - 4, area.bottom() - 4));
  }

  painter.setFont(ArialPx(11));
  for (double t : log_ ? LogTicks(low_, high_) : LinearTicks(low_, high_, 6)) {
    const double x = xOf(t);
    painter.setPen(QPen(QColor(0xd0, 0xd0, 0xd0), 1, Qt::DotLine));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x - 40, area.bottom() + 4, 80, 16), Qt::AlignHCenter | Qt::AlignTop, Short(t));
  }
  for (int i = 0; i <= 5; ++i) {
    const double y = yOf(i / 5.0, 1);
    painter.setPen(QPen(i == 0 ? Qt::black : QColor(0xe0, 0xe0, 0xe0), 1));
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    painter.setPen(Qt::red);
    painter.drawText(QRectF(area.left() - 48, y - 8, 42, 16), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(i / 5.0, 'f', 1));
    if (withMaximum) {
      painter.setPen(Qt::blue);
      painter.drawText(QRectF(area.right() + 6, y - 8, 60, 16), Qt::AlignLeft | Qt::AlignVCenter,
                       Short(top * i / 5));
    }
  }
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area);
  painter.drawText(
      QRectF(box.left(), box.bottom() - 24, box.width(), 18), Qt::AlignHCenter,
      Utf8(study_.parameterLabel) + (log_ ? QStringLiteral(" (логарифмическая шкала)") : QString()));
  const auto vertical = [&](const QString& text, double x, const QColor& colour) {
    painter.save();
    painter.translate(x, area.center().y());
    painter.rotate(-90);
    painter.setPen(colour);
    painter.drawText(QRectF(-area.height() / 2, -14, area.height(), 16), Qt::AlignCenter, text);
    painter.restore();
  };
  vertical(QStringLiteral("Xa оптимума"), box.left() + 14, Qt::red);
  if (withMaximum)
    vertical(Utf8(study_.labels[static_cast<std::size_t>(study_.maximumAnswer)]), box.right() - 4, Qt::blue);

  if (std::isfinite(study_.current) && study_.current >= low_ && study_.current <= high_) {
    const double x = xOf(study_.current);
    painter.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.5, Qt::DashLine));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    painter.setFont(ArialPx(12, true));
    const QString text = QStringLiteral("сейчас %1 = %2").arg(key, Short(study_.current));
    const double w = painter.fontMetrics().horizontalAdvance(text) + 6;
    const double left = std::min(area.right() - w, std::max(area.left(), x - w / 2));
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.drawText(QRectF(left, area.top() - 18, w, 16), Qt::AlignCenter, text);
  }

  // The curves, broken at every gap.
  const auto curve = [&](auto pick, double scale, const QColor& colour) {
    painter.save();
    painter.setClipRect(area.adjusted(0, -1, 0, 1));
    QPainterPath path;
    bool pen = false;
    for (const teaching::StudyPoint& p : points) {
      const double y = p.ran ? pick(p) : std::nan("");
      if (!std::isfinite(y)) {
        pen = false;
        continue;
      }
      const QPointF at(xOf(p.value), yOf(y, scale));
      if (pen)
        path.lineTo(at);
      else
        path.moveTo(at);
      pen = true;
    }
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    const bool apart = points.size() <= 1 || area.width() / static_cast<double>(points.size()) >= 6;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (std::size_t i = 0; i < points.size(); ++i) {
      const double y = points[i].ran ? pick(points[i]) : std::nan("");
      if (!std::isfinite(y)) continue;
      const bool alone = (i == 0 || !points[i - 1].ran) && (i + 1 == points.size() || !points[i + 1].ran);
      if (apart || alone) painter.drawEllipse(QPointF(xOf(points[i].value), yOf(y, scale)), 2.8, 2.8);
    }
    painter.restore();
  };
  curve([](const teaching::StudyPoint& p) { return p.conversion; }, 1, Qt::red);
  if (withMaximum)
    curve([this](const teaching::StudyPoint& p) { return MaximumOf(study_, p); }, top, Qt::blue);
  painter.restore();
}

void TStudyChart::Render(QPainter& painter, const QRectF& target, const QSizeF& size) const {
  painter.save();
  painter.translate(target.topLeft());
  painter.scale(target.width() / size.width(), target.height() / size.height());
  Paint(painter, QRectF(QPointF(0, 0), size));
  painter.restore();
}

TStudyWindow::TStudyWindow(teaching::Study study, const teaching::StudyRequest& request, const QString& task,
                           QWidget* parent)
    : QMdiSubWindow(parent), study_(std::move(study)), request_(request), task_(task) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("%1: исследование %2").arg(task_, Utf8(study_.parameterKey)));
  auto* client = new QWidget(this);
  SaveCsvBtn = new QPushButton(QStringLiteral("Сохранить CSV..."), client);
  SavePngBtn = new QPushButton(QStringLiteral("Сохранить PNG..."), client);
  PrintBtn = new QPushButton(QStringLiteral("Печать..."), client);
  connect(SaveCsvBtn, &QPushButton::clicked, this, &TStudyWindow::SaveCsvClick);
  connect(SavePngBtn, &QPushButton::clicked, this, &TStudyWindow::SavePngClick);
  connect(PrintBtn, &QPushButton::clicked, this, &TStudyWindow::PrintClick);
  Chart = new TStudyChart(study_, request_, client);

  Table = new QTableWidget(static_cast<int>(study_.points.size()), static_cast<int>(study_.labels.size()) + 1,
                           client);
  QStringList head{Utf8(study_.parameterKey)};
  for (const std::string& label : study_.labels) head << Utf8(label);
  Table->setHorizontalHeaderLabels(head);
  Table->verticalHeader()->hide();
  Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int row = 0; row < Table->rowCount(); ++row) {
    const teaching::StudyPoint& p = study_.points[static_cast<std::size_t>(row)];
    const auto number = [](const QString& text) {
      auto* item = new QTableWidgetItem(text);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      return item;
    };
    Table->setItem(row, 0, number(Short(p.value)));
    if (!p.ran) {
      auto* gap = new QTableWidgetItem(QStringLiteral("пробел: ") + Utf8(p.refusal));
      gap->setForeground(Qt::darkGray);
      gap->setToolTip(Utf8(p.refusal));
      Table->setItem(row, 1, gap);
      if (Table->columnCount() > 2) Table->setSpan(row, 1, 1, Table->columnCount() - 1);
      continue;
    }
    for (std::size_t i = 0; i < study_.labels.size(); ++i)
      Table->setItem(row, static_cast<int>(i) + 1,
                     number(i < p.answers.size() ? Utf8(p.answers[i]) : QString()));
  }
  // Columns as wide as their digits and rows one line high, whatever the
  // style the window takes later.
  Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  Table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(SaveCsvBtn);
  buttons->addWidget(SavePngBtn);
  buttons->addWidget(PrintBtn);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(client);
  layout->addLayout(buttons);
  layout->addWidget(Chart, 3);
  layout->addWidget(Table, 2);
  setWidget(client);
  resize(760, 640);
}

std::string TStudyWindow::Csv() const { return teaching::StudyCsv(study_); }

bool TStudyWindow::SaveCsv(const QString& name) {
  const std::string csv = Csv();
  try {
    ReplaceWholeFile(QFile::encodeName(name).constData(), csv.data(), csv.size());
    return true;
  } catch (const std::exception& e) {
    prompts::Error(this, QString::fromUtf8(e.what()));
    return false;
  }
}

bool TStudyWindow::SavePng(const QString& name) {
  QImage image(900, 540, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    Chart->Paint(painter, image.rect());
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  try {
    ReplaceWholeFile(QFile::encodeName(name).constData(), bytes.constData(),
                     static_cast<std::size_t>(bytes.size()));
    return true;
  } catch (const std::exception& e) {
    prompts::Error(this, QString::fromUtf8(e.what()));
    return false;
  }
}

QString TStudyWindow::AskFileName(const QString& suffix) {
  const QString preset = QDir::current().filePath(
      QStringLiteral("study-%1-%2.%3").arg(task_, Utf8(study_.parameterKey), suffix));
  QString name = prompts::SaveImageFileName(this, preset);
  if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += QLatin1Char('.') + suffix;
  return name;
}

void TStudyWindow::SaveCsvClick() {
  const QString name = AskFileName(QStringLiteral("csv"));
  if (!name.isEmpty()) SaveCsv(name);
}

void TStudyWindow::SavePngClick() {
  const QString name = AskFileName(QStringLiteral("png"));
  if (!name.isEmpty()) SavePng(name);
}

QStringList TStudyWindow::PrintedLines() const {
  QStringList lines;
  // A task file is named by its file name, a built-in task by its code.
  lines << QStringLiteral("Задача %1. Исследование: %2 от %3 до %4, точек %5%6")
               .arg(request_.code == 0 ? Utf8(request_.schemeName) : QString::number(request_.code))
               .arg(Utf8(study_.parameterLabel), Short(request_.low), Short(request_.high))
               .arg(study_.points.size())
               .arg(request_.logarithmic ? QStringLiteral(", логарифмическая шкала") : QString());
  lines << QStringLiteral("Сейчас %1 = %2").arg(Utf8(study_.parameterKey), Short(study_.current))
        << QString();
  // The table in columns as wide as their widest text.
  std::vector<QStringList> rows;
  QStringList head{Utf8(study_.parameterKey)};
  for (const std::string& label : study_.labels) head << Utf8(label);
  rows.push_back(head);
  for (const teaching::StudyPoint& p : study_.points) {
    QStringList row{Short(p.value)};
    if (!p.ran) {
      row << QStringLiteral("пробел: ") + Utf8(p.refusal);
    } else {
      for (std::size_t i = 0; i < study_.labels.size(); ++i)
        row << (i < p.answers.size() ? Utf8(p.answers[i]) : QString());
    }
    rows.push_back(row);
  }
  std::vector<int> widths(head.size(), 0);
  for (const QStringList& row : rows)
    for (qsizetype i = 0; i < row.size() && i < head.size(); ++i)
      if (!(i == 1 && row.size() == 2 && head.size() > 2))  // a gap's text spans the columns
        widths[static_cast<std::size_t>(i)] =
            std::max(widths[static_cast<std::size_t>(i)], static_cast<int>(row[i].size()));
  for (const QStringList& row : rows) {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i)
      line += (i ? QStringLiteral("  ") : QString()) +
              (row.size() == 2 && i == 1 && head.size() > 2
                   ? row[i]
                   : row[i].rightJustified(widths[static_cast<std::size_t>(i)]));
    lines << line;
  }
  return lines;
}

void TStudyWindow::PrintClick() {
  QPrinter& printer = textprint::SharedPrinter();
  if (!prompts::Print(this, printer)) return;
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(13);
  textprint::Picture chart;
  // As a chart of 600 by 360 pixels shows on this screen, like a result
  // window's chart on paper.
  const QSizeF shown(600, 360);
  chart.size = shown * (72.0 / std::max(1, logicalDpiY()));
  chart.draw = [this, shown](QPainter& painter, const QRectF& target) {
    Chart->Render(painter, target, shown);
  };
  if (!textprint::PrintLines(printer, PrintedLines(), textprint::ForPrinter(font, logicalDpiY()), &chart))
    prompts::Error(this, QStringLiteral("Printing failed"));
}
