#pragma once

#include <QObject>

#include "DiskDrive.h"
#include "Exchange.h"
#include "Spanning.h"

namespace vellora {

struct AppState;
class Dialogs;
class HandleDataBase;
class LessonLifecycle;
class TDirectorySelector;
class TMainForm;

// File > Export To Disk and File > Import From Disk on the main window: the
// exchange works on the window's registers, status line and gauge, asks the
// directory chooser for the export target and opens the imported lesson.
class ExchangeCommands : public QObject, public ExchangeHost {
    Q_OBJECT
public:
    ExchangeCommands(AppState& state, TMainForm& form, HandleDataBase& database, Dialogs& dialogs,
                     LessonLifecycle& lifecycle, TDirectorySelector& selector, QObject* parent = nullptr);
    ~ExchangeCommands() override;

    void ExportToDisk1Click();
    void ImportFromDisk1Click();

    // How the last export or import ended.
    const ExchangeOutcome& lastOutcome() const { return last_; }
    ExchangeState& exchangeState() { return exchange_; }

    // ExchangeHost
    bool LessonOpen() const override;
    void setLessonOpen(bool open) override;
    qint64 LesnRegNum() const override;
    void setLesnRegNum(qint64 number) override;
    QString DirPath() const override;
    void setDirPath(const QString& path) override;
    void setSavingSuspended(bool suspended) override;
    void setBusyCursor(bool busy) override;
    QString selectExportDirectory() override;
    bool SaveAll() override;
    bool LoadLesnRecord(qint64 number) override;
    void showTitlePage() override;
    void showLessonNotFound() override;

private:
    void showDomainHint();

    ExchangeContext context();

    AppState& state_;
    TMainForm& form_;
    HandleDataBase& database_;
    Dialogs& dialogs_;
    LessonLifecycle& lifecycle_;
    TDirectorySelector& selector_;
    DiskDrive drive_;
    ExchangeState exchange_;
    ExchangeOutcome last_;
    int busy_ = 0;
    QString lastExportDirectory_;
};

}  // namespace vellora
