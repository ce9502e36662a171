#include "LessonLifecycle.h"

#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <vector>

#include "Database.h"
#include "Dialogs.h"
#include "LessonDialogs.h"
#include "LessonNumbers.h"
#include "LessonTexts.h"
#include "FileNames.h"
#include "PageOperations.h"
#include "Schema.h"
#include "ShellTexts.h"
#include "StoreError.h"
#include "TFrame.h"
#include "TMainForm.h"
#include "TTitleScreen.h"
#include "TUtil.h"
#include "Table.h"
#include "TextAttributes.h"
#include "TextCodes.h"

namespace vellora {
namespace {

const QString kTitle = QStringLiteral("Title");
const QString kObjective = QStringLiteral("Objective");
const QString kCopyRYear = QStringLiteral("CopyRYear");
const QString kDirPath = QStringLiteral("DirPath");

constexpr int kDefaultTarget = 1;  // the lesson default font sample
constexpr int kTitleTarget = 2;    // memTitle
constexpr int kNamesTarget = 3;    // the author names

// Characters an Alpha field of the lesson table holds.
int alphaSize(const QString& field) { return alphaSize(tableDef(TableId::Lesn), field); }

void setBase(QWidget* w, const QColor& color) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, color);
    w->setPalette(p);
}

}  // namespace

LessonLifecycle::LessonLifecycle(AppState& state, TMainForm& form, Database& db, Dialogs& dialogs,
                                 TextAttributes& attributes, const LessonWindows& windows, QObject* parent)
    : QObject(parent),
      state_(state),
      form_(form),
      db_(db),
      dialogs_(dialogs),
      attributes_(attributes),
      windows_(windows) {
    setObjectName(QStringLiteral("LessonLifecycle"));
    windows_.openLesson->setDatabase(&db_);
    connect(&form_, &TMainForm::newLessonRequested, this, &LessonLifecycle::FileNewClick);
    connect(&form_, &TMainForm::new1Requested, this, &LessonLifecycle::New1Click);
    connect(&form_, &TMainForm::fileOpenRequested, this, &LessonLifecycle::FileOpenClick);
    connect(&form_, &TMainForm::fileDeleteRequested, this, &LessonLifecycle::FileDeleteClick);
    connect(&form_, &TMainForm::openLessonRequested, this, &LessonLifecycle::OpenLesson);
    connect(windows_.title, &TTitleScreen::fieldEdited, this, &LessonLifecycle::fieldEdited);
    connect(windows_.openLesson, &TDlgOpenLesson::helpRequested, &form_, &TMainForm::showHelpTopic);
    connect(windows_.notFound, &TLessonNotFound::helpRequested, &form_, &TMainForm::showHelpTopic);
    connect(windows_.notifyDelete, &TNotifyDeleteLesson::helpRequested, &form_, &TMainForm::showHelpTopic);
    form_.addSaver([this] { return SaveLesnRecord(); });
}

LessonLifecycle::~LessonLifecycle() = default;

QString LessonLifecycle::LessonStoreRoot() const { return QDir(state_.ProgramDir).filePath(kWorkspace); }

QString LessonLifecycle::LessonDirectory(qint64 number) const {
    return vellora::LessonDirectory(state_.ProgramDir, number);
}

QString LessonLifecycle::LessonCaption(const QString& title) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = title.split(lineBreak);
    const QString first = lines.value(0);
    const QString second = lines.value(1);
    if (second.isEmpty()) return first;
    const QString both = first + QLatin1Char(' ') + second;
    return both.size() > 45 ? first : both;
}

void LessonLifecycle::applyCaption(const QString& title) {
    const QString caption = LessonCaption(title);
    windows_.title->setWindowTitle(caption);
    if (windows_.frame) windows_.frame->setWindowTitle(caption);
    // The hosted windows have no title bar of their own: the main window
    // carries the caption too.
    form_.setWindowTitle(caption.isEmpty() ? texts::kApplicationTitle
                                           : caption + QStringLiteral(" - ") + texts::kApplicationTitle);
}

// ------------------------------------------------------------------ creating

void LessonLifecycle::FileNewClick() {
    if (state_.LessonOpen) form_.SaveAll();
    state_.LessonOpen = false;
    if (!MakeLesnDirectory()) {
        // Nothing half-made stays open: the user has been told why.
        closeLesson(false);
        return;
    }
    state_.LessonOpen = true;
    applyCaption(windows_.title->fieldText(kTitle));
    windows_.title->SpaceNames();
    form_.Icons(2);
}

qint64 LessonLifecycle::ReserveLessonRecord() {
    Table& t = *form_.LesnTable;
    // A folder already named by the next number is someone else's: it is
    // neither taken over nor deleted, and the number is passed over.
    const QStringList skipped = SkipTakenLessonNumbers(db_, state_.ProgramDir);
    if (!skipped.isEmpty()) dialogs_.information(SkippedFoldersMessage(skipped));
    t.append();
    t.setString(kTitle, QStringLiteral("LESN"));
    t.setInteger(QStringLiteral("LesnRegNum"), 69);  // the store numbers the row itself
    t.post();
    state_.LesnRegNum = t.key();
    return state_.LesnRegNum;
}

bool LessonLifecycle::MakeLesnDirectory() {
    Table& t = *form_.LesnTable;
    qint64 number = 0;
    try {
        number = ReserveLessonRecord();
    } catch (const StoreError& e) {
        t.cancel();
        dialogs_.error(texts::kLessonNotCreated.arg(e.message()));
        return false;
    }
    const QString path = LessonDirectory(number);
    state_.DirPath = path;
    const bool existed = QFileInfo(path).isDir();
    QDir().mkpath(path);
    if (!QFileInfo(path).isDir()) {
        abandonNewLesson(number, false);
        dialogs_.error(texts::kLessonDirectoryNotMade.arg(QDir::toNativeSeparators(path)));
        return false;
    }
    try {
        if (!t.findKey(number)) {
            abandonNewLesson(number, !existed);
            return false;
        }
        t.edit();
        SetNewLesnValues();
        t.setString(kDirPath, path);
        writeTexts(t);
        t.post();
    } catch (const StoreError& e) {
        t.cancel();
        abandonNewLesson(number, !existed);
        dialogs_.error(texts::kLessonNotCreated.arg(e.message()));
        return false;
    }
    if (!SaveLesnRecord()) {
        abandonNewLesson(number, !existed);
        return false;
    }
    return true;
}

void LessonLifecycle::abandonNewLesson(qint64 number, bool removeDirectory) {
    Table& t = *form_.LesnTable;
    try {
        t.cancel();
        if (t.findKey(number)) t.remove();
    } catch (const StoreError& e) {
        dialogs_.error(texts::kLessonNotCreated.arg(e.message()));
    }
    // Only a directory made just now, and still empty, goes with it.
    if (removeDirectory) QDir().rmdir(LessonDirectory(number));
    state_.LesnRegNum = 0;
    state_.DirPath.clear();
}

void LessonLifecycle::SetNewLesnValues() {
    state_.LessonOpen = false;
    Table& t = *form_.LesnTable;
    t.edit();
    TTitleScreen& title = *windows_.title;
    for (const QString& field : TTitleScreen::fieldNames()) {
        const QString text = TTitleScreen::newLessonText(field);
        if (!text.isEmpty()) title.setFieldText(field, text);
    }
    title.setFieldText(kCopyRYear, QString::number(QDate::currentDate().year()));
    t.setString(kTitle, TTitleScreen::newLessonText(kTitle));
    t.setString(kObjective, TTitleScreen::newLessonText(kObjective));

    const QColor navy = ColorOfCode(kColorNavy);
    attributes_.apply(kTitleTarget, {QStringLiteral("Arial"), 22, navy, 0});
    const int nameSize = attributes_.read(kNamesTarget).value_or(FontAttributes{QString(), 20, navy, 0}).size;
    attributes_.apply(kNamesTarget, {QStringLiteral("arial"), nameSize, navy, 0});
    attributes_.apply(kDefaultTarget, {QStringLiteral("arial"), 15, ColorOfCode(kColorBlack), 0});
    for (QWidget* w : {static_cast<QWidget*>(title.DBeditFirst), static_cast<QWidget*>(title.DBeditMiddle),
                       static_cast<QWidget*>(title.DBeditLast)})
        setBase(w, ColorOfCode(kColorSilver));
    setBase(title.memTitle, ColorOfCode(kColorWhite));

    state_.PageCount = 0;
    form_.SetCurrentPage(0);
    form_.editPages->setText(QStringLiteral("0"));
    state_.LastReadingPage = -1;
    state_.LastQuestionPage = -1;
    // A new lesson has no title sound and no wallpaper of its own yet.
    state_.cbTitleSound = false;
    form_.SetBackgroundIndex(0);
}

// ------------------------------------------------------------------- opening

void LessonLifecycle::FileOpenClick() {
    TDlgOpenLesson& dlg = *windows_.openLesson;
    dlg.prepare(state_.LesnRegNum);
    if (dialogs_.exec(&dlg) != QDialog::Accepted) return;
    const QString number = dlg.LRegNum->text().trimmed();
    if (number.isEmpty()) return;
    bool ok = false;
    const qint64 n = number.toLongLong(&ok);
    if (ok) OpenLesson(n);
}

void LessonLifecycle::OpenLesson(qint64 number) {
    const bool wasOpen = state_.LessonOpen;
    if (state_.LessonOpen) {
        form_.SaveAll();
        state_.LessonOpen = false;
    }
    if (!LoadLesnRecord(number)) {
        if (wasOpen || state_.CurrentDomain != 0) closeLesson(false);
        return;
    }
    if (QFileInfo(state_.DirPath).isDir()) {
        state_.LessonOpen = true;
        state_.SaveOnPageChange = false;
        showTitlePage();
        state_.SaveOnPageChange = true;
        return;
    }
    ShowLessonNotFound();
}

void LessonLifecycle::ShowLessonNotFound() {
    TLessonNotFound& dlg = *windows_.notFound;
    dlg.setLesson(windows_.title->fieldText(kTitle), QDir::toNativeSeparators(state_.DirPath));
    dialogs_.exec(&dlg);
    // The number stays, so that File > Delete can still remove the lost lesson.
    closeLesson(true);
}

void LessonLifecycle::showTitlePage() {
    // The page change to page 0 saves the page being left; with no page
    // window attached there is none to save.
    if (&form_.pages() != &noPageOperations()) {
        form_.pages().ChangePage(0, 2);
        return;
    }
    windows_.title->SpaceNames();
    form_.SetCurrentPage(0);
    form_.Icons(2);
}

bool LessonLifecycle::LoadLesnRecord(qint64 number) {
    Table& t = *form_.LesnTable;
    try {
        if (!t.findKey(number)) return false;
        const qint64 version = t.asInteger(QStringLiteral("DataVersion"));
        if (version != AppState::ProgramDataVersion &&
            dialogs_.message(MsgKind::Warning, texts::kVersionQuestion.arg(AppState::ProgramDataVersion).arg(version),
                             MsgButtons::YesNo) != MsgAnswer::Yes)
            return false;
        state_.LesnRegNum = t.key();
        if (!state_.LessonOpen) {
            state_.PageCount = int(std::max<qint64>(0, t.asInteger(QStringLiteral("Pages"))));
            form_.editPages->setText(QString::number(state_.PageCount));
        }
        attributes_.apply(kTitleTarget, readFont(t, QStringLiteral("TitleFont"), kTitleTarget));
        state_.DirPath = LessonDirectory(state_.LesnRegNum);
        attributes_.apply(kNamesTarget, readFont(t, QStringLiteral("NameFont"), kNamesTarget));
        attributes_.apply(kDefaultTarget, readFont(t, QStringLiteral("LDefaultFont"), kDefaultTarget));
        state_.cbTitleSound = t.asBoolean(QStringLiteral("LessonSoundFile"));
        // A blank path would name the working directory: keep the lesson's own.
        const QString stored = t.asString(kDirPath).trimmed();
        if (!stored.isEmpty()) state_.DirPath = QDir::cleanPath(stored);

        TTitleScreen& title = *windows_.title;
        for (const QString& field : TTitleScreen::fieldNames()) {
            if (field == kCopyRYear)
                title.setFieldText(field, t.isBlank(field) ? QString() : QString::number(t.asInteger(field)));
            else
                title.setFieldText(field, t.asString(field));
        }
        applyCaption(t.asString(kTitle));

        state_.LoadingLesson = true;
        form_.SetBackgroundIndex(-1);
        form_.SetBackgroundIndex(int(t.asInteger(QStringLiteral("Background"))));
        form_.pages().ClearPageMode();
        state_.LoadingLesson = false;
        return true;
    } catch (const StoreError& e) {
        state_.LoadingLesson = false;
        dialogs_.error(texts::kLessonNotOpened.arg(e.message()));
        return false;
    }
}

FontAttributes LessonLifecycle::readFont(const Table& t, const QString& prefix, int target) const {
    FontAttributes a;
    a.name = t.asString(prefix + QStringLiteral("Name"));
    a.size = int(t.asInteger(prefix + QStringLiteral("Size")));
    // A blank or impossible size keeps the size shown now.
    if (a.size < 1) a.size = attributes_.read(target).value_or(FontAttributes{QString(), 12, QColor(), 0}).size;
    a.color = ColorOfCode(t.asInteger(prefix + QStringLiteral("Color")));
    a.style = StyleCodeOf(StyleOfCode(t.asInteger(prefix + QStringLiteral("Style"))));
    return a;
}

// -------------------------------------------------------------------- saving

bool LessonLifecycle::SaveLesnRecord() {
    if (state_.SavingSuspended) return false;
    Table& t = *form_.LesnTable;
    try {
        if (!t.findKey(state_.LesnRegNum)) return false;
        const int fields = int(t.def().fields.size());
        std::vector<QVariant> stored;
        for (int i = 0; i < fields; ++i) stored.push_back(t.field(i));
        t.edit();
        t.setInteger(QStringLiteral("DataVersion"), AppState::ProgramDataVersion);
        t.setInteger(QStringLiteral("Pages"), state_.PageCount);
        t.setBoolean(QStringLiteral("LessonSoundFile"), state_.cbTitleSound);
        t.setInteger(QStringLiteral("Background"), form_.BackgroundIndex());
        writeFont(t, QStringLiteral("LDefaultFont"), kDefaultTarget);
        t.setString(kDirPath, state_.DirPath);
        writeFont(t, QStringLiteral("TitleFont"), kTitleTarget);
        writeFont(t, QStringLiteral("NameFont"), kNamesTarget);
        writeTexts(t);
        // A record that would not change is not written again: every write
        // waits for the disk.
        bool changed = false;
        for (int i = 0; i < fields && !changed; ++i) changed = t.field(i) != stored[size_t(i)];
        if (changed)
            t.post();
        else
            t.cancel();
        // The title screen stays editable: typing puts the row back into edit
        // mode. It is not left there meanwhile, because moving the cursor
        // would write an unchanged row again.
        return true;
    } catch (const StoreError& e) {
        t.cancel();
        dialogs_.error(texts::kLessonNotSaved.arg(e.message()));
        return false;
    }
}

void LessonLifecycle::writeFont(Table& t, const QString& prefix, int target) {
    const auto a = attributes_.read(target);
    if (!a) return;
    const QString nameField = prefix + QStringLiteral("Name");
    // The field holds a limited number of characters; a longer family name is
    // kept as far as it fits rather than failing the whole save.
    t.setString(nameField, a->name.left(alphaSize(nameField)));
    t.setInteger(prefix + QStringLiteral("Size"), a->size);
    t.setInteger(prefix + QStringLiteral("Color"), CodeOfColor(a->color));
    t.setInteger(prefix + QStringLiteral("Style"), a->style);
}

void LessonLifecycle::writeTexts(Table& t) {
    const TTitleScreen& title = *windows_.title;
    for (const QString& field : TTitleScreen::fieldNames()) {
        const QString text = title.fieldText(field);
        if (field == kCopyRYear) {
            if (text.trimmed().isEmpty())
                t.clear(field);
            else
                t.setString(field, text);  // the table checks that it is a whole number
        } else {
            const int size = alphaSize(field);
            t.setString(field, size > 0 ? text.left(size) : text);
        }
    }
}

void LessonLifecycle::fieldEdited(const QString& field, const QString& text) {
    if (field == kTitle) applyCaption(text);
    if (!state_.LessonOpen) return;
    Table& t = *form_.LesnTable;
    try {
        // The open lesson's row follows the typing (in its row buffer; the
        // save writes it).
        if ((!t.hasCurrent() || t.key() != state_.LesnRegNum) && !t.findKey(state_.LesnRegNum)) return;
        t.edit();
        if (field == kCopyRYear && text.trimmed().isEmpty())
            t.clear(field);
        else
            t.setString(field, text);
    } catch (const StoreError&) {
        // Not a value the field can hold yet (the save reports it if it stays).
    }
}

void LessonLifecycle::FileSaveClick() { form_.SaveAll(); }

// ------------------------------------------------------------------ closing

void LessonLifecycle::closeLesson(bool keepNumber) {
    state_.LessonOpen = false;
    if (!keepNumber) state_.LesnRegNum = 0;
    state_.PageRegNum = 0;
    state_.PageCount = 0;
    form_.editPages->setText(QStringLiteral("0"));
    form_.SetCurrentPage(0);
    applyCaption(QString());
    form_.Icons(0);
}

// ------------------------------------------------------------------ deleting

bool LessonLifecycle::insideLessonStore(const QString& path) const {
    const QFileInfo fi(QDir::cleanPath(path));
    if (fi.fileName().isEmpty() || fi.isSymLink()) return false;
    // The import's scratch directory is no lesson's.
    if (fi.absoluteFilePath().compare(QFileInfo(ScratchDirectory(state_.ProgramDir)).absoluteFilePath(),
                                      Qt::CaseInsensitive) == 0)
        return false;
    const QString root = QFileInfo(LessonStoreRoot()).canonicalFilePath();
    const QString parent = QFileInfo(fi.absolutePath()).canonicalFilePath();
    return !root.isEmpty() && parent == root;
}

QString LessonLifecycle::directoryToRemove(const QString& stored, qint64 number) const {
    // Files are deleted only inside the lesson store: a path from a damaged or
    // foreign record never takes other files with it.
    const QString path = QDir::cleanPath(stored.trimmed());
    if (!stored.trimmed().isEmpty() && insideLessonStore(path)) return path;
    return LessonDirectory(number);
}

void LessonLifecycle::FileDeleteClick() {
    form_.SaveAll();
    Table& t = *form_.LesnTable;
    const qint64 number = state_.LesnRegNum;
    try {
        if (number <= 0 || !t.findKey(number)) {
            windows_.notFound->setLesson(QString(), QString());
            dialogs_.exec(windows_.notFound);
            return;
        }
    } catch (const StoreError& e) {
        dialogs_.error(texts::kLessonRowsNotDeleted.arg(e.message()));
        return;
    }
    windows_.notifyDelete->setLesson(t.asString(kTitle));
    if (dialogs_.exec(windows_.notifyDelete) != QDialog::Accepted) return;

    if (!RemoveDirectory(directoryToRemove(t.asString(kDirPath), number))) return;

    // The rows go only after the directory, and all of them or none.
    try {
        Database::Transaction transaction(db_);
        for (int page = 1; page <= state_.PageCount; ++page) DeletePageCascade(page);
        // Pages the count does not reach still belong to the lesson.
        std::vector<qint64> rest;
        Query pages(db_, TableId::Page, QStringLiteral("LesnRegNum"), number);
        for (bool ok = pages.first(); ok; ok = pages.next()) rest.push_back(pages.field(0).toLongLong());
        for (const qint64 key : rest) deleteRowsOfPage(key);
        if (t.findKey(number)) t.remove();
        transaction.commit();
    } catch (const StoreError& e) {
        t.cancel();
        dialogs_.error(texts::kLessonRowsNotDeleted.arg(e.message()));
        return;
    }

    state_.PageRegNum = 0;
    form_.editPages->setText(QStringLiteral("0"));
    form_.SetCurrentPage(0);
    state_.LesnRegNum = 0;
    state_.PageCount = 0;
    state_.LessonOpen = false;
    state_.DirPath.clear();
    applyCaption(QString());
    form_.Icons(0);
}

qint64 LessonLifecycle::PageRecord(int pageNumber) const {
    Query pages(db_, TableId::Page, QStringLiteral("LesnRegNum"), state_.LesnRegNum);
    for (bool ok = pages.first(); ok; ok = pages.next())
        if (pages.asInteger(QStringLiteral("PageNumber")) == pageNumber)
            return pages.asInteger(QStringLiteral("PageRegNum"));
    return 0;
}

void LessonLifecycle::deleteRowsOfPage(qint64 pageRegNum) {
    // Words and choices both go, whatever the page's kind, so that no row
    // of a deleted page is left behind.
    struct Items {
        Table* table;
        TableId id;
    };
    for (const Items& items : {Items{form_.ChoiceTable.get(), TableId::Choice}, Items{form_.WurdTable.get(), TableId::Wurd}}) {
        Query rows(db_, items.id, QStringLiteral("PageRegNum"), pageRegNum);
        for (bool ok = rows.first(); ok; ok = rows.next())
            if (items.table->findKey(rows.field(0).toLongLong())) items.table->remove();
    }
    if (form_.PageTable->findKey(pageRegNum)) form_.PageTable->remove();
}

bool LessonLifecycle::DeletePageCascade(int pageNumber) {
    const qint64 key = PageRecord(pageNumber);
    if (key <= 0) {
        dialogs_.information(texts::kWordsNotDeleted.arg(pageNumber));
        return false;
    }
    if (!form_.PageTable->findKey(key)) return false;
    deleteRowsOfPage(key);
    if (pageDeleted_) pageDeleted_(pageNumber);
    return true;
}

bool LessonLifecycle::RemoveDirectory(const QString& directory) {
    const QString dir = QDir::cleanPath(directory);
    const QFileInfo info(dir);
    if (!info.exists() && !info.isSymLink()) return true;
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!entries.isEmpty()) {
        emit closingMedia();  // a player may hold one of them open
        for (const QFileInfo& e : entries)
            if (e.isFile() || e.isSymLink()) QFile::remove(e.filePath());
    }
    QDir().rmdir(dir);
    if (QFileInfo::exists(dir)) {
        dialogs_.error(texts::kDirectoryNotRemoved.arg(QDir::toNativeSeparators(dir)));
        return false;
    }
    return true;
}

// ------------------------------------------------------------ media and pages

QString LessonLifecycle::MediaFileName(int domain, int index) {
    QString prefix, extension = media::kWav;
    qint64 number = 0;
    bool fromTable = false;  // word and choice numbers come from the page window
    switch (domain) {
        case 1: prefix = media::kBackground, number = state_.LesnRegNum, extension = media::kBmp; break;
        case 2: prefix = media::kLessonSound, number = state_.LesnRegNum; break;
        case 9:
        case 16: prefix = media::kPicture, number = state_.PageRegNum, extension = media::kBmp; break;
        case 10:
        case 17: prefix = media::kVideo, number = state_.PageRegNum; break;
        case 11:
        case 13:
        case 18: prefix = media::kPageSound, number = state_.PageRegNum; break;
        case 12:
            prefix = media::kWurdSound, fromTable = true;
            number = wurdRegNum_ ? wurdRegNum_(index) : 0;
            break;
        case 20:
        case 21:
            prefix = domain == 20 ? media::kChoiceSound : media::kResponseSound, fromTable = true;
            number = choiceRegNum_ ? choiceRegNum_(index) : 0;
            break;
        default:
            dialogs_.information(texts::kRequestedMediaDomain.arg(domain));
            break;
    }
    // A word or choice that does not exist has no file name either.
    if (prefix.isEmpty() || (fromTable && number <= 0)) {
        dialogs_.error(texts::kMediaFileNotMade.arg(domain).arg(index));
        return QString();
    }
    // Always the lesson's own directory by number, whatever DirPath says.
    return QDir(LessonDirectory(state_.LesnRegNum)).filePath(FilePath(prefix, number, extension));
}

void LessonLifecycle::New1Click() {
    if (state_.LessonOpen) {
        form_.pages().ChangePage(state_.PageCount + 1, 9);
        return;
    }
    if (dialogs_.confirm(texts::kCreateNewLesn))
        FileNewClick();
    else
        dialogs_.information(texts::kNoLesnFound);
}

}  // namespace vellora
