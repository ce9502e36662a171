#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "AppState.h"

namespace vellora {

class Database;
class Dialogs;
class Table;
class TDlgOpenLesson;
class TFrame;
class TLessonNotFound;
class TMainForm;
class TNotifyDeleteLesson;
class TTitleScreen;
class TUtil;
class TextAttributes;
struct FontAttributes;

// The windows the lesson lifecycle shows or fills.
struct LessonWindows {
    TTitleScreen* title;
    TUtil* util;
    TFrame* frame;
    TDlgOpenLesson* openLesson;
    TLessonNotFound* notFound;
    TNotifyDeleteLesson* notifyDelete;
};

// A lesson is one row of the lesson table plus one directory of media files
// under ProgramDir/workspac. This creates lessons (number, directory,
// defaults), opens them with the data-version check, saves their record and
// deletes them with everything they hold. The lesson table's current row is
// the open lesson, kept in edit mode between saves, and the title screen's
// fields edit it as the author types.
class LessonLifecycle : public QObject {
    Q_OBJECT
public:
    static inline const QString kWorkspace = QStringLiteral("workspac");

    LessonLifecycle(AppState& state, TMainForm& form, Database& db, Dialogs& dialogs, TextAttributes& attributes,
                    const LessonWindows& windows, QObject* parent = nullptr);
    ~LessonLifecycle() override;

    // ProgramDir/workspac, and the directory of lesson `number` in it
    // (8 digits, zero-padded; longer numbers unchanged).
    QString LessonStoreRoot() const;
    QString LessonDirectory(qint64 number) const;
    // The window caption for a title: line 1, a blank and line 2, or line 1
    // alone when that would be longer than 45 characters.
    static QString LessonCaption(const QString& title);

    void FileNewClick();
    bool MakeLesnDirectory();
    // Appends a lesson row and answers the number the store gave it.
    qint64 ReserveLessonRecord();
    void SetNewLesnValues();
    // File > Open: the lesson chosen in the open dialog.
    void FileOpenClick();
    // Opens lesson `number` at its title page (the command line, File > Open).
    void OpenLesson(qint64 number);
    bool LoadLesnRecord(qint64 number);
    bool SaveLesnRecord();
    void FileSaveClick();
    void FileDeleteClick();
    bool DeletePageCascade(int pageNumber);
    bool RemoveDirectory(const QString& directory);
    // The path of a media file of the open lesson for `domain` (and the word
    // or choice `index`); empty, after telling the user, when there is none.
    QString MediaFileName(int domain, int index);
    // Page > New: the page after the last, or with no lesson the offer to
    // make one.
    void New1Click();
    // Shows page 0, the title page, in domain 2.
    void showTitlePage();
    // The "Lesson Not Found" dialog for the lesson just loaded; the lesson
    // does not stay open.
    void ShowLessonNotFound();

    // The page window's word and choice registration numbers by index.
    void setWurdRegNumSource(std::function<qint64(int)> source) { wurdRegNum_ = std::move(source); }
    void setChoiceRegNumSource(std::function<qint64(int)> source) { choiceRegNum_ = std::move(source); }
    // Told after each page of a deleted lesson is gone (progress).
    void setPageDeletedObserver(std::function<void(int)> observer) { pageDeleted_ = std::move(observer); }

signals:
    // Before files of the lesson directory are deleted: media players let go
    // of them.
    void closingMedia();

private:
    void fieldEdited(const QString& field, const QString& text);
    void writeTexts(Table& table);
    void writeFont(Table& table, const QString& prefix, int target);
    FontAttributes readFont(const Table& table, const QString& prefix, int target) const;
    void abandonNewLesson(qint64 number, bool removeDirectory);
    void closeLesson(bool keepNumber);
    void applyCaption(const QString& title);
    QString directoryToRemove(const QString& stored, qint64 number) const;
    bool insideLessonStore(const QString& path) const;
    qint64 PageRecord(int pageNumber) const;
    void deleteRowsOfPage(qint64 pageRegNum);

    AppState& state_;
    TMainForm& form_;
    Database& db_;
    Dialogs& dialogs_;
    TextAttributes& attributes_;
    LessonWindows windows_;
    std::function<qint64(int)> wurdRegNum_;
    std::function<qint64(int)> choiceRegNum_;
    std::function<void(int)> pageDeleted_;
};

}  // namespace vellora
