#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <memory>
#include <vector>

#include "HelpTopics.h"

namespace vellora {

class Database;
class Table;

// The lessons of the lesson table in key order, read a batch at a time as
// the list scrolls, so that a store of many lessons opens at once.
class LessonListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kBatch = 200;

    explicit LessonListModel(QObject* parent = nullptr);
    ~LessonListModel() override;

    void setDatabase(Database* db);
    // Starts again from the first lesson.
    void refresh();
    qint64 keyAt(int row) const;
    // Row of `key` among the rows read so far, or -1.
    int rowOf(qint64 key) const;
    // Reads every remaining row.
    void fetchAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Row {
        qint64 key;
        QString title;
    };
    std::unique_ptr<Table> table_;
    std::vector<Row> rows_;
    bool atEnd_ = true;
};

// "Open A Lesn": browses the lessons and shows the chosen one's title,
// objective, pages and author. On OK, `LRegNum` holds its number.
class TDlgOpenLesson : public QDialog {
    Q_OBJECT
public:
    explicit TDlgOpenLesson(QWidget* parent = nullptr);
    ~TDlgOpenLesson() override;

    void setDatabase(Database* db);
    // Reads the lesson table afresh and selects `key` when it is among the
    // first lessons, else the first lesson.
    void prepare(qint64 key = 0);
    // Selects the lesson with `key`, reading on until it is found.
    bool selectLesson(qint64 key);

    QListView* lbLessons;
    LessonListModel* model;
    QPlainTextEdit* DBMemoTitle;
    QPlainTextEdit* DBMemoObjective;
    QLabel* lbPages;
    QLabel* dbPages;
    QLabel* lbAuthor;
    QLabel* editAuthor;
    QLineEdit* LRegNum;  // hidden: the number of the chosen lesson
    QToolButton* NavFirst;
    QToolButton* NavPrior;
    QToolButton* NavNext;
    QToolButton* NavLast;
    QToolButton* NavRefresh;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;

    static constexpr int kHelpTopic = kHelpOpenLesson;

signals:
    void helpRequested(int topic);

private:
    void selectRow(int row);
    // Copies the current lesson into the display and its number into LRegNum.
    void dbLRegNumChange();

    std::unique_ptr<Table> details_;
};

// "Lesson Not Found": the lesson's title and the path where its directory
// was expected.
class TLessonNotFound : public QDialog {
    Q_OBJECT
public:
    explicit TLessonNotFound(QWidget* parent = nullptr);
    void setLesson(const QString& title, const QString& path);

    QLabel* lbTheLesson;
    QLabel* lbTitle;
    QLabel* lbNotFound;
    QLabel* lbPath;
    QPushButton* OKBtn;
    QPushButton* HelpBtn;
    static constexpr int kHelpTopic = kHelpLessonNotFound;

signals:
    void helpRequested(int topic);
};

// "Delete A Lesson": OK confirms deleting the lesson named, Cancel keeps it.
class TNotifyDeleteLesson : public QDialog {
    Q_OBJECT
public:
    explicit TNotifyDeleteLesson(QWidget* parent = nullptr);
    void setLesson(const QString& title);

    QLabel* lbAboutTo;
    QLabel* lbTitle;
    QLabel* lbExplain;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
    static constexpr int kHelpTopic = kHelpDeleteLesson;

signals:
    void helpRequested(int topic);
};

}  // namespace vellora
