#include "DirectorySelector.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStorageInfo>

#include "Dialogs.h"
#include "DomainTexts.h"

namespace vellora {
namespace {

constexpr int kHelpTopic = 40;
constexpr int kShownLength = 22;
const QString kUp = QStringLiteral("..");

}  // namespace

QString ShortenedPath(const QString& path) {
    if (path.size() <= kShownLength) return path;
    QString s = path;
    // The fourth character goes until 22 remain; ".." then marks the gap.
    s.remove(3, s.size() - kShownLength);
    s.insert(3, kUp);
    return s;
}

TDirectorySelector::TDirectorySelector(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DirectorySelector"));
    setWindowTitle(texts::kExportDestination);
    setModal(true);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DirectoryListBox1 = new QListWidget(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setSelectionMode(QAbstractItemView::NoSelection);
    FullPath = new QLabel(this);
    FullPath->setObjectName(QStringLiteral("FullPath"));
    FullPath->hide();
    lbFullExportPath = new QLabel(this);
    lbFullExportPath->setObjectName(QStringLiteral("lbFullExportPath"));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    BitBtn1 = new QPushButton(QStringLiteral("&Help"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpTopic); });
    connect(DriveComboBox1, &QComboBox::activated, this, &TDirectorySelector::driveChosen);
    connect(DirectoryListBox1, &QListWidget::itemActivated, this, &TDirectorySelector::directoryActivated);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(texts::kDirectory, this), 0, 0);
    grid->addWidget(lbFullExportPath, 1, 0);
    grid->addWidget(DirectoryListBox1, 2, 0);
    grid->addWidget(new QLabel(texts::kFiles, this), 0, 1);
    grid->addWidget(FileListBox1, 1, 1, 2, 1);
    grid->addWidget(new QLabel(texts::kDrive, this), 3, 0);
    grid->addWidget(DriveComboBox1, 4, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(BitBtn1);
    grid->addLayout(buttons, 5, 0, 1, 2);
    resize(460, 320);
}

void TDirectorySelector::FormActivate() {
    DriveComboBox1->clear();
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady()) roots << QDir::cleanPath(volume.rootPath());
    roots.removeDuplicates();
    roots.sort();
    DriveComboBox1->addItems(roots);
}

bool TDirectorySelector::Choose(Dialogs& dialogs, const QString& start) {
    FormActivate();
    const QString dir = QDir(start).exists() ? start : QDir::homePath();
    setDirectory(dir);
    // Only an accepted dialog chooses: closing it any other way is a cancel.
    ExportDirChosen = false;
    ExportDirChosen = dialogs.exec(this) == QDialog::Accepted && QDir(directory()).exists();
    return ExportDirChosen;
}

void TDirectorySelector::setDirectory(const QString& path) {
    const QDir dir(QDir::cleanPath(QDir(path).absolutePath()));
    FullPath->setText(dir.absolutePath());
    DirectoryListBox1->clear();
    if (!dir.isRoot()) DirectoryListBox1->addItem(kUp);
    DirectoryListBox1->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
    // The drive list follows the directory: the deepest volume holding it.
    int best = -1;
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        const QString root = DriveComboBox1->itemText(i);
        const bool holds = dir.absolutePath() == root ||
                           dir.absolutePath().startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
        if (holds && (best < 0 || root.size() > DriveComboBox1->itemText(best).size())) best = i;
    }
    if (best >= 0) DriveComboBox1->setCurrentIndex(best);
    FileListBox1Change();
}

void TDirectorySelector::FileListBox1Change() {
    FileListBox1->clear();
    FileListBox1->addItems(QDir(FullPath->text()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
    lbFullExportPath->setText(ShortenedPath(FullPath->text()));
    lbFullExportPath->setToolTip(FullPath->text());
}

void TDirectorySelector::driveChosen(int index) {
    if (index >= 0) setDirectory(DriveComboBox1->itemText(index));
}

void TDirectorySelector::directoryActivated(QListWidgetItem* item) {
    if (!item) return;
    setDirectory(QDir(FullPath->text()).filePath(item->text()));
}

}  // namespace vellora
