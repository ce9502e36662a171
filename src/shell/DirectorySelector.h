#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace vellora {

class Dialogs;

// A path as the chooser shows it: a path of more than 22 characters keeps its
// first three characters, then "..", then its last 19.
QString ShortenedPath(const QString& path);

// "Export LESN to Destination": a drive (mounted volume), a directory in it
// and the files there. ExportDirChosen tells whether a directory was accepted.
class TDirectorySelector : public QDialog {
    Q_OBJECT
public:
    explicit TDirectorySelector(QWidget* parent = nullptr);

    // Runs the chooser modally, starting in `start`; true when accepted.
    bool Choose(Dialogs& dialogs, const QString& start);
    QString directory() const { return FullPath->text(); }
    // Goes to a directory: fills the lists and the path labels.
    void setDirectory(const QString& path);

    bool ExportDirChosen = false;

    QComboBox* DriveComboBox1;
    QListWidget* DirectoryListBox1;
    QListWidget* FileListBox1;
    QLabel* FullPath;
    QLabel* lbFullExportPath;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* BitBtn1;

signals:
    void helpRequested(int topic);

private:
    void FormActivate();
    void FileListBox1Change();
    void driveChosen(int index);
    void directoryActivated(QListWidgetItem* item);
};

}  // namespace vellora
