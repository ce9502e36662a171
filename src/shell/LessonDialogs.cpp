#include "LessonDialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "LessonTexts.h"
#include "Table.h"

namespace vellora {
namespace {

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QToolButton* navButton(QWidget* parent, const char* name, Qt::ArrowType arrow, const QString& text,
                       const QString& hint) {
    auto* b = named(new QToolButton(parent), name);
    if (arrow != Qt::NoArrow)
        b->setArrowType(arrow);
    else
        b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(false);
    return b;
}

QPlainTextEdit* readOnlyMemo(QWidget* parent, const char* name) {
    auto* m = named(new QPlainTextEdit(parent), name);
    m->setReadOnly(true);
    m->setTabChangesFocus(true);
    return m;
}

}  // namespace

// ------------------------------------------------------------ LessonListModel

LessonListModel::LessonListModel(QObject* parent) : QAbstractListModel(parent) {}
LessonListModel::~LessonListModel() = default;

void LessonListModel::setDatabase(Database* db) {
    beginResetModel();
    table_ = db ? std::make_unique<Table>(*db, TableId::Lesn, true) : nullptr;
    rows_.clear();
    atEnd_ = !table_;
    endResetModel();
}

void LessonListModel::refresh() {
    beginResetModel();
    rows_.clear();
    atEnd_ = !table_;
    endResetModel();
    if (canFetchMore(QModelIndex())) fetchMore(QModelIndex());
}

qint64 LessonListModel::keyAt(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[size_t(row)].key : 0;
}

int LessonListModel::rowOf(qint64 key) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].key == key) return int(i);
    return -1;
}

void LessonListModel::fetchAll() {
    while (canFetchMore(QModelIndex())) fetchMore(QModelIndex());
}

int LessonListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

QVariant LessonListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const Row& r = rows_[size_t(index.row())];
    if (role == Qt::DisplayRole) return QStringLiteral("%1  %2").arg(r.key).arg(r.title);
    if (role == Qt::UserRole) return r.key;
    return {};
}

bool LessonListModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !atEnd_; }

void LessonListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::vector<Row> batch;
    // The cursor stays on the last row read, so the next batch goes on from there.
    bool ok = rows_.empty() ? table_->first() : table_->next();
    while (ok) {
        batch.push_back({table_->key(), table_->asLines(QStringLiteral("Title")).value(0)});
        if (int(batch.size()) == kBatch) break;
        ok = table_->next();
    }
    if (!ok) atEnd_ = true;
    if (batch.empty()) return;
    beginInsertRows(QModelIndex(), int(rows_.size()), int(rows_.size() + batch.size()) - 1);
    rows_.insert(rows_.end(), batch.begin(), batch.end());
    endInsertRows();
}

// ------------------------------------------------------------- TDlgOpenLesson

TDlgOpenLesson::TDlgOpenLesson(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgOpenLesson"));
    setWindowTitle(texts::kOpenLessonCaption);

    model = new LessonListModel(this);
    lbLessons = named(new QListView(this), "lbLessons");
    lbLessons->setModel(model);
    lbLessons->setUniformItemSizes(true);
    lbLessons->setSelectionMode(QAbstractItemView::SingleSelection);
    lbLessons->setMinimumWidth(220);

    DBMemoTitle = readOnlyMemo(this, "DBMemoTitle");
    DBMemoObjective = readOnlyMemo(this, "DBMemoObjective");
    lbPages = named(new QLabel(texts::kPagesLabel, this), "lbPages");
    dbPages = named(new QLabel(this), "dbPages");
    lbAuthor = named(new QLabel(texts::kAuthorLabel, this), "lbAuthor");
    editAuthor = named(new QLabel(this), "editAuthor");
    LRegNum = named(new QLineEdit(this), "LRegNum");
    LRegNum->hide();

    auto* nav = named(new QWidget(this), "DBNavigator1");
    auto* navLayout = new QHBoxLayout(nav);
    navLayout->setContentsMargins(0, 0, 0, 0);
    navLayout->setSpacing(2);
    NavFirst = navButton(nav, "NavFirst", Qt::NoArrow, QStringLiteral("|<"), QStringLiteral("First Lesn"));
    NavPrior = navButton(nav, "NavPrior", Qt::LeftArrow, QString(), QStringLiteral("Prior Lesn"));
    NavNext = navButton(nav, "NavNext", Qt::RightArrow, QString(), QStringLiteral("Next Lesn"));
    NavLast = navButton(nav, "NavLast", Qt::NoArrow, QStringLiteral(">|"), QStringLiteral("Last Lesn"));
    NavRefresh = navButton(nav, "NavRefresh", Qt::NoArrow, QStringLiteral("Refresh"), QStringLiteral("Read the Lesns again"));
    for (QToolButton* b : {NavFirst, NavPrior, NavNext, NavLast, NavRefresh}) navLayout->addWidget(b);
    navLayout->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = named(buttons->addButton(QDialogButtonBox::Ok), "OKBtn");
    CancelBtn = named(buttons->addButton(QDialogButtonBox::Cancel), "CancelBtn");
    HelpBtn = named(buttons->addButton(QDialogButtonBox::Help), "HelpBtn");

    auto* details = new QGridLayout;
    details->addWidget(new QLabel(QStringLiteral("Title"), this), 0, 0, Qt::AlignTop);
    details->addWidget(DBMemoTitle, 0, 1);
    details->addWidget(new QLabel(QStringLiteral("Objective"), this), 1, 0, Qt::AlignTop);
    details->addWidget(DBMemoObjective, 1, 1);
    details->addWidget(lbPages, 2, 0);
    details->addWidget(dbPages, 2, 1);
    details->addWidget(lbAuthor, 3, 0);
    details->addWidget(editAuthor, 3, 1);
    details->setRowStretch(0, 1);
    details->setRowStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(lbLessons, 2);
    top->addLayout(details, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nav);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
    resize(560, 320);

    connect(lbLessons->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { dbLRegNumChange(); });
    connect(lbLessons, &QListView::doubleClicked, this, [this] {
        if (!LRegNum->text().isEmpty()) accept();
    });
    connect(NavFirst, &QToolButton::clicked, this, [this] { selectRow(0); });
    connect(NavPrior, &QToolButton::clicked, this, [this] { selectRow(std::max(0, lbLessons->currentIndex().row() - 1)); });
    connect(NavNext, &QToolButton::clicked, this, [this] {
        const int row = lbLessons->currentIndex().row() + 1;
        if (row >= model->rowCount() && model->canFetchMore(QModelIndex())) model->fetchMore(QModelIndex());
        selectRow(std::min(row, model->rowCount() - 1));
    });
    connect(NavLast, &QToolButton::clicked, this, [this] {
        model->fetchAll();
        selectRow(model->rowCount() - 1);
    });
    connect(NavRefresh, &QToolButton::clicked, this, [this] { prepare(LRegNum->text().toLongLong()); });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpTopic); });
}

TDlgOpenLesson::~TDlgOpenLesson() = default;

void TDlgOpenLesson::setDatabase(Database* db) {
    model->setDatabase(db);
    details_ = db ? std::make_unique<Table>(*db, TableId::Lesn, true) : nullptr;
}

void TDlgOpenLesson::prepare(qint64 key) {
    model->refresh();
    const int row = key > 0 ? model->rowOf(key) : -1;
    selectRow(row >= 0 ? row : 0);
    dbLRegNumChange();
}

bool TDlgOpenLesson::selectLesson(qint64 key) {
    int row = model->rowOf(key);
    while (row < 0 && model->canFetchMore(QModelIndex())) {
        model->fetchMore(QModelIndex());
        row = model->rowOf(key);
    }
    if (row < 0) return false;
    selectRow(row);
    return true;
}

void TDlgOpenLesson::selectRow(int row) {
    if (row < 0 || row >= model->rowCount()) {
        lbLessons->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = model->index(row);
    lbLessons->setCurrentIndex(index);
    lbLessons->scrollTo(index);
}

void TDlgOpenLesson::dbLRegNumChange() {
    const qint64 key = model->keyAt(lbLessons->currentIndex().row());
    if (key <= 0 || !details_ || !details_->findKey(key)) {
        DBMemoTitle->clear();
        DBMemoObjective->clear();
        dbPages->clear();
        editAuthor->clear();
        LRegNum->clear();
        OKBtn->setEnabled(false);
        return;
    }
    DBMemoTitle->setPlainText(details_->asString(QStringLiteral("Title")));
    DBMemoObjective->setPlainText(details_->asString(QStringLiteral("Objective")));
    dbPages->setText(QString::number(details_->asInteger(QStringLiteral("Pages"))));
    editAuthor->setText(details_->asString(QStringLiteral("AuthorFirst")) + QLatin1Char(' ') +
                        details_->asString(QStringLiteral("AuthorMiddle")) + QLatin1Char(' ') +
                        details_->asString(QStringLiteral("AuthorLast")));
    LRegNum->setText(QString::number(key));
    OKBtn->setEnabled(true);
}

// ------------------------------------------------------------ TLessonNotFound

TLessonNotFound::TLessonNotFound(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LessonNotFound"));
    setWindowTitle(texts::kLessonNotFoundCaption);
    lbTheLesson = named(new QLabel(texts::kTheLesson, this), "lbTheLesson");
    lbTitle = named(new QLabel(this), "lbTitle");
    lbNotFound = named(new QLabel(texts::kNotFoundAtPath, this), "lbNotFound");
    lbPath = named(new QLabel(this), "lbPath");
    for (QLabel* l : {lbTitle, lbPath}) {
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = named(buttons->addButton(QDialogButtonBox::Ok), "OKBtn");
    HelpBtn = named(buttons->addButton(QDialogButtonBox::Help), "HelpBtn");
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(lbTheLesson), static_cast<QWidget*>(lbTitle),
                       static_cast<QWidget*>(lbNotFound), static_cast<QWidget*>(lbPath)})
        layout->addWidget(w);
    layout->addWidget(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpTopic); });
    resize(380, 180);
}

void TLessonNotFound::setLesson(const QString& title, const QString& path) {
    lbTitle->setText(title);
    lbPath->setText(path);
}

// -------------------------------------------------------- TNotifyDeleteLesson

TNotifyDeleteLesson::TNotifyDeleteLesson(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NotifyDeleteLesson"));
    setWindowTitle(texts::kDeleteLessonCaption);
    lbAboutTo = named(new QLabel(texts::kAboutToDelete, this), "lbAboutTo");
    lbTitle = named(new QLabel(this), "lbTitle");
    lbTitle->setTextFormat(Qt::PlainText);
    lbTitle->setWordWrap(true);
    QFont bold = lbTitle->font();
    bold.setBold(true);
    lbTitle->setFont(bold);
    lbExplain = named(new QLabel(texts::kDeleteLine1 + QLatin1Char('\n') + texts::kDeleteLine2 + QStringLiteral("\n\n") +
                                     texts::kDeleteLine3 + QLatin1Char('\n') + texts::kDeleteLine4,
                                 this),
                      "lbExplain");
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = named(buttons->addButton(QDialogButtonBox::Ok), "OKBtn");
    CancelBtn = named(buttons->addButton(QDialogButtonBox::Cancel), "CancelBtn");
    HelpBtn = named(buttons->addButton(QDialogButtonBox::Help), "HelpBtn");
    CancelBtn->setDefault(true);  // deleting is never the default
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbAboutTo);
    layout->addWidget(lbTitle);
    layout->addSpacing(8);
    layout->addWidget(lbExplain);
    layout->addWidget(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpTopic); });
}

void TNotifyDeleteLesson::setLesson(const QString& title) { lbTitle->setText(title); }

}  // namespace vellora
