#include "ExchangeCommands.h"

#include <QApplication>
#include <QDir>

#include "AppState.h"
#include "DirectorySelector.h"
#include "Domains.h"
#include "HandleDataBase.h"
#include "LessonLifecycle.h"
#include "TMainForm.h"

namespace vellora {

ExchangeCommands::ExchangeCommands(AppState& state, TMainForm& form, HandleDataBase& database, Dialogs& dialogs,
                                   LessonLifecycle& lifecycle, TDirectorySelector& selector, QObject* parent)
    : QObject(parent),
      state_(state),
      form_(form),
      database_(database),
      dialogs_(dialogs),
      lifecycle_(lifecycle),
      selector_(selector) {
    connect(&form_, &TMainForm::exportRequested, this, &ExchangeCommands::ExportToDisk1Click);
    connect(&form_, &TMainForm::importRequested, this, &ExchangeCommands::ImportFromDisk1Click);
}

ExchangeCommands::~ExchangeCommands() {
    while (busy_ > 0) setBusyCursor(false);
}

ExchangeContext ExchangeCommands::context() {
    return ExchangeContext{dialogs_, form_, database_, *this, drive_, exchange_};
}

void ExchangeCommands::ExportToDisk1Click() {
    // The record on screen goes into the package as the author sees it.
    if (state_.LessonOpen) form_.SaveAll();
    auto c = context();
    last_ = ExportToDisk(c);
    showDomainHint();
}

void ExchangeCommands::ImportFromDisk1Click() {
    auto c = context();
    last_ = ImportFromDisk(c);
    showDomainHint();
}

// The status line asked for a directory or showed the progress; once the
// exchange is over, however it ended, it explains the domain again.
void ExchangeCommands::showDomainHint() { form_.setStatusText(DomainHint(state_.CurrentDomain)); }

bool ExchangeCommands::LessonOpen() const { return state_.LessonOpen; }
void ExchangeCommands::setLessonOpen(bool open) { state_.LessonOpen = open; }
qint64 ExchangeCommands::LesnRegNum() const { return state_.LesnRegNum; }
void ExchangeCommands::setLesnRegNum(qint64 number) { state_.LesnRegNum = number; }
QString ExchangeCommands::DirPath() const { return state_.DirPath; }
void ExchangeCommands::setDirPath(const QString& path) { state_.DirPath = path; }
void ExchangeCommands::setSavingSuspended(bool suspended) { state_.SavingSuspended = suspended; }

void ExchangeCommands::setBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busy_;
    } else if (busy_ > 0) {
        QApplication::restoreOverrideCursor();
        --busy_;
    }
}

QString ExchangeCommands::selectExportDirectory() {
    const QString start = lastExportDirectory_.isEmpty() ? QDir::homePath() : lastExportDirectory_;
    if (!selector_.Choose(dialogs_, start)) return QString();
    lastExportDirectory_ = selector_.directory();
    return lastExportDirectory_;
}

bool ExchangeCommands::SaveAll() { return form_.SaveAll(); }
bool ExchangeCommands::LoadLesnRecord(qint64 number) { return lifecycle_.LoadLesnRecord(number); }
void ExchangeCommands::showTitlePage() { lifecycle_.showTitlePage(); }
void ExchangeCommands::showLessonNotFound() { lifecycle_.ShowLessonNotFound(); }

}  // namespace vellora
