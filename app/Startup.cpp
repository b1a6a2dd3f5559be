#include "Startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QTranslator>

#include "MDIFrame.h"
#include "data_dialog/DataForm.h"
#include "window_services/Activation.h"
#include "window_services/Prompts.h"

namespace {

// Qt's translations for `locale`'s language, in place of any installed
// before; none where Qt was installed without that language.
void UseToolkitTranslations(const QLocale& locale) {
  static QPointer<QTranslator> installed;
  delete installed;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator))
    installed = translator;
  else
    delete translator;
}

}  // namespace

TProgramWindows::TProgramWindows(const QString& startProblem) {
  // Before the first window, whose texts are made with it.
  UseToolkitTranslations(QLocale());
  TActivationTracker::Instance();
  frame_ = std::make_unique<TFrameForm>();
  // A child dialog stays above the main window and is no window of its own
  // in the task switcher.
  dataForm_ = new TDataForm(frame_.get());
  DataForm = dataForm_;
  // Closing the main window ends the program even while the dialog is shown.
  dataForm_->setAttribute(Qt::WA_QuitOnClose, false);
  frame_->show();
  if (!startProblem.isEmpty()) {
    // A start from the menu has no terminal: the student reads it here, over
    // the main window once that is on screen.
    QString text = startProblem;
    text[0] = text[0].toUpper();
    QTimer::singleShot(0, frame_.get(), [frame = QPointer<TFrameForm>(frame_.get()), text] {
      if (frame) prompts::Error(frame, text + QLatin1Char('.'));
    });
  }
}

TProgramWindows::~TProgramWindows() {
  // The dialog goes first, while the window it returns the focus to exists.
  DataForm = nullptr;
  delete dataForm_;
  frame_.reset();
}
