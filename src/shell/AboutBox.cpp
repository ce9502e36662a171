#include "AboutBox.h"

#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLocale>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSysInfo>
#include <QVBoxLayout>

#include "DomainTexts.h"
#include "ShellResources.h"

namespace vellora {
namespace {

QLabel* line(QWidget* parent, const QString& text, int pixelSize = 0, bool bold = false) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    if (pixelSize) f.setPixelSize(pixelSize);
    f.setBold(bold);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QFrame* shape(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameStyle(QFrame::Box | QFrame::Raised);
    f->setLineWidth(2);
    return f;
}

}  // namespace

int MemoryFigures::loadPercent() const {
    if (totalKB <= 0) return 0;
    const qint64 used = std::clamp<qint64>(totalKB - availableKB, 0, totalKB);
    return static_cast<int>((used * 100 + totalKB / 2) / totalKB);
}

std::optional<MemoryFigures> ParseMeminfo(const QByteArray& text) {
    static const QRegularExpression row(QStringLiteral("^(\\w+):\\s+(\\d+)\\s*kB\\s*$"),
                                        QRegularExpression::MultilineOption);
    std::optional<qint64> total, available, free;
    auto it = row.globalMatch(QString::fromLatin1(text));
    while (it.hasNext()) {
        const auto m = it.next();
        bool ok = false;
        const qint64 value = m.captured(2).toLongLong(&ok);
        if (!ok) continue;
        if (m.captured(1) == QLatin1String("MemTotal")) total = value;
        if (m.captured(1) == QLatin1String("MemAvailable")) available = value;
        if (m.captured(1) == QLatin1String("MemFree")) free = value;
    }
    if (!total || *total <= 0) return std::nullopt;
    // Older kernels have no MemAvailable; free memory is the nearest figure.
    const qint64 avail = available ? *available : free.value_or(*total);
    return MemoryFigures{*total, std::min(avail, *total)};
}

std::optional<MemoryFigures> SystemMemory() {
    QFile f(QStringLiteral("/proc/meminfo"));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return ParseMeminfo(f.readAll());
}

QString PhysicalMemoryText(qint64 kilobytes) {
    QLocale english(QLocale::English);
    english.setNumberOptions(QLocale::DefaultNumberOptions);
    return english.toString(kilobytes) + QStringLiteral(" KB");
}

QString MemoryLoadText(int percent) { return QStringLiteral("%1 %").arg(percent); }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    initShellResources();
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(texts::kAboutCaption);
    setModal(true);

    auto* picture = new QWidget(this);
    Shape1 = shape(picture, "Shape1");
    Shape2 = shape(picture, "Shape2");
    AboutImage = new QLabel(picture);
    AboutImage->setObjectName(QStringLiteral("AboutImage"));
    AboutImage->setPixmap(QIcon(QStringLiteral(":/icons/vellora.svg")).pixmap(64, 64));
    AboutImage->setCursor(Qt::PointingHandCursor);
    AboutImage->setToolTip(QStringLiteral("Click for more"));
    AboutImage->installEventFilter(this);
    picture->setFixedSize(84, 84);
    Shape1->setGeometry(0, 0, 84, 84);
    Shape2->setGeometry(4, 4, 76, 76);
    AboutImage->setGeometry(10, 10, 64, 64);

    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    pageDefault = new QWidget;
    pageDefault->setObjectName(QStringLiteral("Default"));
    auto* first = new QVBoxLayout(pageDefault);
    first->addWidget(line(pageDefault, texts::kProductName, 26, true));
    first->addWidget(line(pageDefault, texts::kProductPlatform));
    first->addWidget(line(pageDefault, texts::kAboutVersion));

    pageSystemStats = new QWidget;
    pageSystemStats->setObjectName(QStringLiteral("SystemStats"));
    auto* stats = new QFormLayout(pageSystemStats);
    lbSystemVersion = new QLabel(pageSystemStats);
    lbSystemVersion->setObjectName(QStringLiteral("lbSystemVersion"));
    lbSystemVersion->setWordWrap(true);
    lbMemoryInUse = new QLabel(pageSystemStats);
    lbMemoryInUse->setObjectName(QStringLiteral("lbMemoryInUse"));
    lbPhysicalMemory = new QLabel(pageSystemStats);
    lbPhysicalMemory->setObjectName(QStringLiteral("lbPhysicalMemory"));
    stats->addRow(texts::kSystemVersion, lbSystemVersion);
    stats->addRow(texts::kMemoryInUse, lbMemoryInUse);
    stats->addRow(texts::kPhysicalMemory, lbPhysicalMemory);

    pageCredits = new QWidget;
    pageCredits->setObjectName(QStringLiteral("Credits"));
    auto* credits = new QVBoxLayout(pageCredits);
    credits->addWidget(line(pageCredits, QStringLiteral("Talking books for readers of every age"), 0, true));
    credits->addWidget(line(pageCredits, QStringLiteral("Built with Qt, SQLite, libzip and libsndfile")));
    credits->addWidget(line(pageCredits, QStringLiteral("Thanks to every author and learner who tried it")));

    Notebook1->addWidget(pageDefault);
    Notebook1->addWidget(pageSystemStats);
    Notebook1->addWidget(pageCredits);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(Notebook1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    resize(380, 190);
}

void TAboutBox::fillStatistics() {
    lbSystemVersion->setText(QStringLiteral("%1 (%2 %3)")
                                 .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion()));
    if (const auto memory = SystemMemory()) {
        lbMemoryInUse->setText(MemoryLoadText(memory->loadPercent()));
        lbPhysicalMemory->setText(PhysicalMemoryText(memory->totalKB));
    } else {
        lbMemoryInUse->setText(QStringLiteral("unknown"));
        lbPhysicalMemory->setText(QStringLiteral("unknown"));
    }
}

void TAboutBox::AboutImageDblClick() {
    QWidget* page = Notebook1->currentWidget();
    if (page == pageDefault) {
        fillStatistics();
        Notebook1->setCurrentWidget(pageSystemStats);
    } else if (page == pageSystemStats) {
        Notebook1->setCurrentWidget(pageCredits);
    } else {
        Notebook1->setCurrentWidget(pageDefault);
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (watched == AboutImage && (press || release) && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (press) {
            // A pressed-button look while the mouse is down.
            Shape1->hide();
            Shape2->hide();
            return true;
        }
        Shape1->show();
        Shape2->show();
        AboutImageDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vellora
