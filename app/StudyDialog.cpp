#include "StudyDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <new>

#include "StudyWindow.h"
#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/WholeFile.h"
#include "initial_data/TaskData.h"
#include "schemes/Scheme.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "window_services/Prompts.h"

namespace {

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString Short(double v) { return QString::number(v, 'g', 6); }

// DataFile.dat is small; a file far larger is no data file.
constexpr std::size_t kDataFileLimit = 1 << 20;

}  // namespace

TStudyDialog::TStudyDialog(teaching::StudyRequest task, QWidget* parent)
    : QDialog(parent), task_(std::move(task)) {
  if (task_.code == 0) {
    // A task file's parameters, in the order of its data fields.
    setWindowTitle(QStringLiteral("Исследование параметра: %1").arg(Utf8(task_.schemeName)));
    const schemes::Scheme scheme = schemes::ParseScheme(task_.scheme, task_.schemeName);
    int slot = 0;
    for (const schemes::Parameter& p : scheme.parameters)
      fields_.push_back({++slot, Utf8(p.label), p.offered});
  } else {
    setWindowTitle(QStringLiteral("Исследование параметра: задача %1").arg(task_.code));
    const TTaskFieldTable table = ReadTaskFields(task_.code, &task_.dataFile);
    for (int j = 1; j <= SlotCount(task_.code); ++j) {
      const TaskField& record = table[j];
      if (record.Flag <= 0) continue;
      fields_.push_back({j,
                         Utf8(cp1251::ToUtf8(record.LabelText)).trimmed(),
                         {record.Values[0], record.Values[1], record.Values[2]}});
    }
  }

  ParameterBox = new QComboBox(this);
  for (const Field& f : fields_) ParameterBox->addItem(f.label, f.slot);
  LowEdit = new QLineEdit(this);
  HighEdit = new QLineEdit(this);
  CountBox = new QSpinBox(this);
  CountBox->setRange(teaching::kStudyMinPoints, teaching::kStudyMaxPoints);
  CountBox->setValue(21);
  LogBox = new QCheckBox(QStringLiteral("Логарифмическая шкала (нижняя граница больше нуля)"), this);
  SpanLabel = new QLabel(this);
  SpanLabel->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Параметр:"), ParameterBox);
  form->addRow(QString(), SpanLabel);
  form->addRow(QStringLiteral("&От:"), LowEdit);
  form->addRow(QStringLiteral("&До:"), HighEdit);
  form->addRow(QStringLiteral("&Точек:"), CountBox);
  form->addRow(QString(), LogBox);
  auto* note = new QLabel(
      QStringLiteral("Задача решается в каждой точке диапазона; остальные поля — как в исходных данных."),
      this);
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Исследовать"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (RunStudy()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(ParameterBox, &QComboBox::currentIndexChanged, this, &TStudyDialog::OfferRange);
  OfferRange();
}

void TStudyDialog::OfferRange() {
  const int at = ParameterBox->currentIndex();
  if (at < 0 || at >= static_cast<int>(fields_.size())) return;
  const std::vector<double>& offered = fields_[static_cast<std::size_t>(at)].offered;
  if (offered.empty()) return;
  const double least = *std::min_element(offered.begin(), offered.end());
  const double most = *std::max_element(offered.begin(), offered.end());
  QStringList texts;
  for (double v : offered) texts << Short(v);
  SpanLabel->setText(QStringLiteral("Предлагаются %1: диапазон — от половины наименьшего до двух наибольших.")
                         .arg(texts.join(QStringLiteral(", "))));
  LowEdit->setText(Short(least / 2));
  HighEdit->setText(Short(most > least ? 2 * most : (most > 0 ? 2 * most : 1)));
}

teaching::StudyRequest TStudyDialog::Request() const {
  teaching::StudyRequest request = task_;
  request.parameter = std::to_string(ParameterBox->currentData().toInt());
  const auto bound = [](const QLineEdit* edit, const char* name) {
    double value = 0;
    if (!ParseTypedNumber(edit->text().toStdString(), value))
      throw teaching::StudyError(std::string("Недопустимое числовое значение в поле «") + name + "»: «" +
                                 edit->text().left(60).toStdString() + "»");
    return value;
  };
  request.low = bound(LowEdit, "От");
  request.high = bound(HighEdit, "До");
  request.count = CountBox->value();
  request.logarithmic = LogBox->isChecked();
  return request;
}

bool TStudyDialog::RunStudy() {
  try {
    study_ = teaching::RunStudy(Request());
    return true;
  } catch (const std::bad_alloc&) {
    prompts::Error(this, QStringLiteral("Недостаточно памяти для расчёта"));
  } catch (const std::exception& e) {
    prompts::Error(this, QString::fromUtf8(e.what()));
  }
  return false;
}

QMdiSubWindow* AskStudy(QWidget* parent, int code, const std::vector<std::optional<double>>& values) {
  if (!FindTask(code)) {
    prompts::Error(parent,
                   QStringLiteral("Откройте задачу (zadNNN.txt): исследуется открытая задача с её данными."));
    return nullptr;
  }
  teaching::StudyRequest task;
  task.code = code;
  task.values = values;
  try {
    task.dataFile = ReadRegularFile("DataFile.dat", kDataFileLimit);
  } catch (const std::exception& e) {
    prompts::Error(parent, QString::fromUtf8(e.what()));
    return nullptr;
  }
  return AskStudy(parent, task, QStringLiteral("zad%1").arg(code));
}

QMdiSubWindow* AskStudy(QWidget* parent, const teaching::StudyRequest& task, const QString& name) {
  try {
    TStudyDialog dialog(task, parent);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return new TStudyWindow(dialog.Result(), dialog.Request(), name);
  } catch (const std::exception& e) {
    prompts::Error(parent, QString::fromUtf8(e.what()));
    return nullptr;
  }
}
