#include "VariantsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <map>
#include <new>
#include <set>

#include "base/Cp1251.h"
#include "base/Text.h"
#include "base/WholeFile.h"
#include "cli/VariantsRun.h"
#include "initial_data/TaskData.h"
#include "schemes/BuiltInTasks.h"
#include "schemes/Scheme.h"
#include "solvers/RunOpt.h"
#include "teaching/KitFiles.h"
#include "window_services/Prompts.h"
#include "workspace/Workspace.h"

namespace {

// What the dialog reads: the working folder's files, and the installed ones
// where it has none.
std::filesystem::path InstalledTasks() {
  return workspace::ShippedTasksFolder(QCoreApplication::applicationFilePath().toStdString());
}

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// As the main window takes a task file: a scheme fits in far less.
constexpr std::size_t kTaskFileLimit = 1 << 20;

// The row's data: the file's name and its UTF-8 text.
constexpr int kNameRole = Qt::UserRole;
constexpr int kTextRole = Qt::UserRole + 1;

// "dimer-tank.toml  Реакция A + B -> R ...": the name and the file's title.
QString SchemeCaption(const QString& name, const schemes::Scheme& scheme) {
  return name + QStringLiteral("  ") + Utf8(scheme.title);
}

// "101  Последовательные реакции ...": the code and the statement's title.
QString TaskCaption(int code, const teaching::KitSources& sources) {
  QString caption = QString::number(code);
  const auto it = sources.statements.find(code);
  if (it == sources.statements.end()) return caption;
  const std::string title = StatementTitle(it->second);
  if (!title.empty()) caption += QStringLiteral("  ") + Utf8(title);
  return caption;
}

}  // namespace

TVariantsDialog::TVariantsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Варианты для студентов"));
  openFolder = [](const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); };

  std::vector<int> codes;
  for (const TaskEntry& task : AllTasks()) codes.push_back(task.code);
  teaching::KitSources sources;
  for (int code : codes) {
    try {  // the list shows titles where the statements can be read
      sources.statements[code] = cp1251::ToUtf8(
          variants::ReadTaskFile("zad" + std::to_string(code) + ".txt", ".", InstalledTasks()));
    } catch (const std::exception&) {
    }
  }

  TaskList = new QListWidget(this);
  for (int code : codes) {
    auto* item = new QListWidgetItem(TaskCaption(code, sources), TaskList);
    item->setData(Qt::UserRole, code);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  TaskList->setMinimumWidth(420);
  SchemeList = new QListWidget(this);
  for (const schemes::ExampleScheme& example : schemes::ExampleSchemes()) {
    const QString name = Utf8(example.name) + QStringLiteral(".toml");
    try {
      auto* item = new QListWidgetItem(
          SchemeCaption(name, schemes::ParseScheme(example.text, name.toStdString())), SchemeList);
      item->setData(kNameRole, name);
      item->setData(kTextRole, QByteArray::fromStdString(example.text));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
      item->setCheckState(Qt::Unchecked);
    } catch (const std::exception&) {  // the examples are tested; none is left out
    }
  }
  auto* addButton = new QPushButton(QStringLiteral("Добавить файлы задач..."), this);
  CountBox = new QSpinBox(this);
  CountBox->setRange(1, 1000);
  CountBox->setValue(30);
  SeedEdit = new QLineEdit(QStringLiteral("1"), this);
  RangeTable = new QTableWidget(0, 4, this);
  RangeTable->setHorizontalHeaderLabels({QStringLiteral("Величина"), QStringLiteral("Предлагаемые"),
                                         QStringLiteral("От"), QStringLiteral("До")});
  RangeTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  RangeTable->verticalHeader()->hide();
  ToleranceEdit = new QLineEdit(this);
  ToleranceEdit->setPlaceholderText(QStringLiteral("половина единицы последнего знака"));
  KeyBox = new QCheckBox(QStringLiteral("Ответы на листах заданий"), this);
  StudyBox = new QCheckBox(QStringLiteral("Вопрос об исследовании"), this);
  StudyBox->setToolTip(QStringLiteral(
      "Ещё один вопрос в каждом варианте: каким станет максимум, если умножить поле на множитель"));
  StudyFieldBox = new QComboBox(this);
  StudyFieldBox->setEnabled(false);
  StudyFieldBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  StudyFieldBox->setMinimumContentsLength(16);
  StudyFactorEdit = new QLineEdit(QStringLiteral("2"), this);
  StudyFactorEdit->setEnabled(false);
  StudyFactorEdit->setMaximumWidth(90);
  StudyFactorEdit->setToolTip(QStringLiteral("Больше 0, не 1; 0.5 — уменьшить вдвое"));
  FolderEdit = new QLineEdit(QDir::current().filePath(QString::fromUtf8(variants::kDefaultFolder)), this);
  auto* chooseButton = new QPushButton(QStringLiteral("Выбрать..."), this);
  StatusLabel = new QLabel(this);
  StatusLabel->setWordWrap(true);

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(FolderEdit);
  folderRow->addWidget(chooseButton);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Вариантов каждой задачи:"), CountBox);
  form->addRow(QStringLiteral("Зерно (начальное число):"), SeedEdit);
  form->addRow(QStringLiteral("Допуск ответа (доля):"), ToleranceEdit);
  form->addRow(QString(), KeyBox);
  auto* studyRow = new QHBoxLayout;
  studyRow->addWidget(StudyBox);
  studyRow->addWidget(StudyFieldBox, 1);
  studyRow->addWidget(new QLabel(QStringLiteral("×"), this));
  studyRow->addWidget(StudyFactorEdit);
  form->addRow(QString(), studyRow);
  form->addRow(QStringLiteral("Папка:"), folderRow);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* createButton = buttons->addButton(QStringLiteral("Создать"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Задачи:"), this));
  layout->addWidget(TaskList, 2);
  layout->addWidget(new QLabel(QStringLiteral("Задачи из файлов (.toml):"), this));
  layout->addWidget(SchemeList, 1);
  auto* addRow = new QHBoxLayout;
  addRow->addWidget(addButton);
  addRow->addStretch(1);
  layout->addLayout(addRow);
  layout->addWidget(
      new QLabel(QStringLiteral("Диапазоны исходных данных (пустые ячейки — от наименьшего до наибольшего из "
                                "предлагаемых значений):"),
                 this));
  layout->addWidget(RangeTable, 1);
  layout->addLayout(form);
  layout->addWidget(StatusLabel);
  layout->addWidget(buttons);

  connect(TaskList, &QListWidget::itemChanged, this, &TVariantsDialog::FillRanges);
  connect(SchemeList, &QListWidget::itemChanged, this, &TVariantsDialog::FillRanges);
  connect(addButton, &QPushButton::clicked, this, &TVariantsDialog::AddTaskFiles);
  connect(chooseButton, &QPushButton::clicked, this, &TVariantsDialog::ChooseFolder);
  connect(StudyBox, &QCheckBox::toggled, StudyFieldBox, &QWidget::setEnabled);
  connect(StudyBox, &QCheckBox::toggled, StudyFactorEdit, &QWidget::setEnabled);
  connect(createButton, &QPushButton::clicked, this, &TVariantsDialog::CreateFiles);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(640, 800);
}

void TVariantsDialog::ChooseFolder() {
  const QString folder = prompts::FolderName(this, QStringLiteral("Папка для файлов"), FolderEdit->text());
  if (!folder.isEmpty()) FolderEdit->setText(folder);
}

void TVariantsDialog::AddTaskFiles() {
  bool added = false;
  for (const QString& path : prompts::TaskFileNames(this)) {
    const QString name = QFileInfo(path).fileName();
    std::string text;
    QString caption;
    try {
      text = ReadRegularFile(QFile::encodeName(path).toStdString(), kTaskFileLimit);
      caption =
          SchemeCaption(name, schemes::ParseScheme(text, QFileInfo(path).absoluteFilePath().toStdString()));
    } catch (const std::bad_alloc&) {
      prompts::Error(this, QStringLiteral("Недостаточно памяти для чтения задачи ") + path);
      continue;
    } catch (const std::exception& e) {
      prompts::Error(this, QString::fromUtf8(e.what()));
      continue;
    }
    QListWidgetItem* item = nullptr;
    for (int i = 0; i < SchemeList->count() && !item; ++i)
      if (SchemeList->item(i)->data(kNameRole).toString() == name) item = SchemeList->item(i);
    const QSignalBlocker quiet(SchemeList);
    if (!item) {
      item = new QListWidgetItem(SchemeList);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    }
    item->setText(caption);
    item->setData(kNameRole, name);
    item->setData(kTextRole, QByteArray::fromStdString(text));
    item->setCheckState(Qt::Checked);
    added = true;
  }
  if (added) FillRanges();
}

std::map<std::string, std::string> TVariantsDialog::CheckedSchemes() const {
  std::map<std::string, std::string> checked;
  for (int i = 0; i < SchemeList->count(); ++i)
    if (SchemeList->item(i)->checkState() == Qt::Checked)
      checked[SchemeList->item(i)->data(kNameRole).toString().toStdString()] =
          SchemeList->item(i)->data(kTextRole).toByteArray().toStdString();
  return checked;
}

void TVariantsDialog::FillRanges() {
  std::map<QString, std::pair<QString, QString>> typed;
  for (int row = 0; row < RangeTable->rowCount(); ++row)
    typed[RangeTable->item(row, 0)->text()] = {RangeTable->item(row, 2)->text(),
                                               RangeTable->item(row, 3)->text()};
  std::vector<QString> labels;
  std::map<QString, QStringList> spans;
  std::string dataFile;
  try {
    dataFile = variants::ReadTaskFile(kDataFileName, ".", InstalledTasks());
  } catch (const std::exception& e) {
    StatusLabel->setText(QString::fromUtf8(e.what()));
  }
  for (int i = 0; i < TaskList->count(); ++i) {
    if (TaskList->item(i)->checkState() != Qt::Checked) continue;
    try {
      for (const teaching::DrawnField& field :
           teaching::FieldsOf(TaskList->item(i)->data(Qt::UserRole).toInt(), dataFile, {})) {
        const QString label = Utf8(field.label);
        if (!spans.count(label)) labels.push_back(label);
        const QString span = Utf8(teaching::PlainText(field.low)) + QStringLiteral(" – ") +
                             Utf8(teaching::PlainText(field.high));
        if (!spans[label].contains(span)) spans[label] << span;
      }
    } catch (const std::exception& e) {
      StatusLabel->setText(QString::fromUtf8(e.what()));
    }
  }
  // A task file's fields span its offered values.
  for (const auto& [name, text] : CheckedSchemes()) {
    try {
      for (const schemes::Parameter& p : schemes::ParseScheme(text, name).parameters) {
        const QString label = Utf8(p.label);
        if (!spans.count(label)) labels.push_back(label);
        std::size_t low = 0, high = 0;
        for (std::size_t j = 1; j < p.offered.size(); ++j) {
          if (p.offered[j] < p.offered[low]) low = j;
          if (p.offered[j] > p.offered[high]) high = j;
        }
        const QString span = Utf8(p.offeredTexts[low]) + QStringLiteral(" – ") + Utf8(p.offeredTexts[high]);
        if (!spans[label].contains(span)) spans[label] << span;
      }
    } catch (const std::exception& e) {
      StatusLabel->setText(QString::fromUtf8(e.what()));
    }
  }
  RangeTable->setRowCount(static_cast<int>(labels.size()));
  for (int row = 0; row < RangeTable->rowCount(); ++row) {
    const QString& label = labels[static_cast<std::size_t>(row)];
    auto* name = new QTableWidgetItem(label);
    name->setFlags(Qt::ItemIsEnabled);
    auto* offered = new QTableWidgetItem(spans[label].join(QStringLiteral("; ")));
    offered->setFlags(Qt::ItemIsEnabled);
    RangeTable->setItem(row, 0, name);
    RangeTable->setItem(row, 1, offered);
    RangeTable->setItem(row, 2, new QTableWidgetItem(typed[label].first));
    RangeTable->setItem(row, 3, new QTableWidgetItem(typed[label].second));
  }
  // The study question takes a field of the chosen tasks, kept while it stays.
  const QString chosen = StudyFieldBox->currentText();
  StudyFieldBox->clear();
  for (const QString& label : labels) StudyFieldBox->addItem(label);
  const int kept = StudyFieldBox->findText(chosen);
  if (kept >= 0) StudyFieldBox->setCurrentIndex(kept);
}

teaching::KitRequest TVariantsDialog::Request() const {
  teaching::KitRequest request;
  for (int i = 0; i < TaskList->count(); ++i)
    if (TaskList->item(i)->checkState() == Qt::Checked)
      request.codes.push_back(TaskList->item(i)->data(Qt::UserRole).toInt());
  for (int i = 0; i < SchemeList->count(); ++i)
    if (SchemeList->item(i)->checkState() == Qt::Checked)
      request.schemes.push_back(SchemeList->item(i)->data(kNameRole).toString().toStdString());
  request.count = CountBox->value();
  if (!teaching::ParseSeed(SeedEdit->text().trimmed().toStdString(), request.seed))
    throw teaching::KitRequestError("Зерно должно быть целым числом от 0 до 2^64-1");
  for (int row = 0; row < RangeTable->rowCount(); ++row) {
    const QString label = RangeTable->item(row, 0)->text();
    const QString low = RangeTable->item(row, 2)->text().trimmed(),
                  high = RangeTable->item(row, 3)->text().trimmed();
    if (low.isEmpty() && high.isEmpty()) continue;
    if (low.isEmpty() || high.isEmpty())
      throw teaching::KitRequestError("Диапазон поля «" + label.toStdString() + "»: нужны обе границы");
    request.ranges.push_back({label.toStdString(), low.toStdString(), high.toStdString()});
  }
  request.tolerance = ToleranceEdit->text().trimmed().toStdString();
  request.key = KeyBox->isChecked();
  if (StudyBox->isChecked()) {
    if (StudyFieldBox->currentText().isEmpty())
      throw teaching::KitRequestError("Вопрос об исследовании: не выбрано поле");
    const QString factor = StudyFactorEdit->text().trimmed();
    request.study = teaching::StudySetting{StudyFieldBox->currentText().toStdString(),
                                           factor.isEmpty() ? std::string("2") : factor.toStdString()};
  }
  return request;
}

bool TVariantsDialog::CreateFiles() {
  const QString folder = FolderEdit->text().trimmed();
  try {
    if (folder.isEmpty()) throw teaching::KitRequestError("Не указана папка для файлов");
    const teaching::KitRequest request = Request();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<teaching::KitFile> files;
    try {
      teaching::KitSources sources = variants::ReadKitSources(request.codes, ".", InstalledTasks());
      sources.schemes = CheckedSchemes();
      files = teaching::MakeKit(request, sources);
      variants::WriteKitFiles(files, folder.toStdString());
    } catch (...) {
      QApplication::restoreOverrideCursor();
      throw;
    }
    QApplication::restoreOverrideCursor();
    StatusLabel->setText(QStringLiteral("Записано файлов: %1, в папку %2").arg(files.size()).arg(folder));
  } catch (const std::bad_alloc&) {
    prompts::Error(this,
                   QStringLiteral("Недостаточно памяти для набора: уменьшите число вариантов или задач"));
    return false;
  } catch (const std::exception& e) {
    prompts::Error(this, QString::fromUtf8(e.what()));
    return false;
  }
  openFolder(folder);
  return true;
}
