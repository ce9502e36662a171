#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <optional>

namespace vellora {

// Memory figures of the machine, in kilobytes.
struct MemoryFigures {
    qint64 totalKB = 0;
    qint64 availableKB = 0;
    // Memory in use, in per cent of the total.
    int loadPercent() const;
};

// Reads the figures from the text of /proc/meminfo; none when it lacks them.
std::optional<MemoryFigures> ParseMeminfo(const QByteArray& text);
std::optional<MemoryFigures> SystemMemory();
// "24,576,000 KB": kilobytes with thousands separators.
QString PhysicalMemoryText(qint64 kilobytes);
// "37 %": the load, a blank and a per-cent sign.
QString MemoryLoadText(int percent);

// The about box: a picture that turns the pages of a three-page notebook
// (product, system statistics, credits) when clicked.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // A click on the picture: the next page (statistics filled on the way).
    void AboutImageDblClick();

    QLabel* AboutImage;
    QFrame* Shape1;
    QFrame* Shape2;
    QStackedWidget* Notebook1;
    QWidget* pageDefault;
    QWidget* pageSystemStats;
    QWidget* pageCredits;
    QLabel* lbSystemVersion;
    QLabel* lbMemoryInUse;
    QLabel* lbPhysicalMemory;
    QPushButton* OKButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillStatistics();
};

}  // namespace vellora
