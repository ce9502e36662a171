#include "Printing.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>

#include "AppState.h"
#include "Dialogs.h"
#include "PageOperations.h"
#include "PrintTexts.h"
#include "TMainForm.h"

namespace vellora {
namespace {

constexpr int kLesnDomain = 1;
// Each page is printed as it shows in the Picture domain (question pages
// show their own picture domain instead).
constexpr int kPrintPageDomain = 9;

// Where a print goes, for the message when it cannot start.
QString destination(const QPrinter& printer) {
    return printer.outputFileName().isEmpty() ? printer.printerName()
                                              : QDir::toNativeSeparators(printer.outputFileName());
}

// Re-entry guard: the event loop turns between the pages of a lesson print.
struct Busy {
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    bool& flag_;
};

}  // namespace

Printing::Printing(AppState& state, TMainForm& form, Dialogs& dialogs, QObject* parent)
    : QObject(parent), state_(state), form_(form), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Printing"));
    connect(&form_, &TMainForm::printRequested, this, &Printing::FilePrintClick);
    connect(&form_, &TMainForm::printerSetupRequested, this, &Printing::FilePrinterSetupClick);
}

Printing::~Printing() = default;

QPrinter& Printing::printer() {
    // Made on first use: finding the printers may take a moment.
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void Printing::FilePrintClick() {
    if (printing_) return;
    QPrintDialog dialog(&printer(), &form_);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    // A lesson prints whole; page ranges and selections have no meaning here.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialogs_.exec(&dialog) != QDialog::Accepted) return;
    print(printer());
}

void Printing::FilePrinterSetupClick() {
    if (printing_) return;
    QPageSetupDialog dialog(&printer(), &form_);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    dialogs_.exec(&dialog);
}

PrintOutcome Printing::print(QPrinter& printer) {
    if (printing_) return PrintOutcome::Stopped;
    if (state_.CurrentDomain == kLesnDomain && state_.LessonOpen) return printLesson(printer);
    Busy busy(printing_);
    pagesPrinted_ = 0;
    QPainter painter;
    if (!begin(painter, printer)) return PrintOutcome::Failed;
    printWindow(painter, printer);
    painter.end();
    return PrintOutcome::Printed;
}

PrintOutcome Printing::printLesson(QPrinter& printer) {
    if (printing_ || !state_.LessonOpen) return PrintOutcome::Stopped;
    Busy busy(printing_);
    pagesPrinted_ = 0;
    QPainter painter;
    if (!begin(painter, printer)) return PrintOutcome::Failed;

    const qint64 lesson = state_.LesnRegNum;
    const int startPage = state_.CurrentPage;
    const int startDomain = state_.CurrentDomain;
    state_.StopRequested = false;
    PageOperations& pages = form_.pages();
    bool whole = true;
    // The page count is read afresh: showing the title page may repair it.
    for (int p = 0; p <= state_.PageCount; ++p) {
        pages.ChangePage(p, kPrintPageDomain);
        form_.setStatusText(texts::kPrintingPage + QString::number(p) + QLatin1Char('.'));
        // Lays the page out before it is grabbed, and lets Esc through.
        QCoreApplication::processEvents();
        if (interrupted(lesson) || state_.CurrentPage != p) {
            whole = false;
            break;
        }
        if (pagesPrinted_ > 0) printer.newPage();
        printWindow(painter, printer);
    }
    painter.end();
    state_.StopRequested = false;

    if (!state_.Closing && state_.LessonOpen && state_.LesnRegNum == lesson) {
        pages.ChangePage(startPage, startDomain);
        if (state_.CurrentDomain != startDomain) form_.Icons(startDomain);
    }
    if (whole) return PrintOutcome::Printed;
    form_.setStatusText(texts::kPrintingStopped.arg(pagesPrinted_).arg(state_.PageCount + 1));
    return PrintOutcome::Stopped;
}

bool Printing::begin(QPainter& painter, QPrinter& printer) {
    if (painter.begin(&printer)) return true;
    dialogs_.error(texts::kCannotPrint.arg(destination(printer)));
    return false;
}

bool Printing::interrupted(qint64 lesson) const {
    return state_.StopRequested || state_.Closing || !state_.LessonOpen || state_.LesnRegNum != lesson;
}

void Printing::printWindow(QPainter& painter, QPrinter& printer) {
    const QImage image = form_.grab().toImage();
    const QRect area(0, 0, printer.width(), printer.height());
    const QSize size = image.size().scaled(area.size(), Qt::KeepAspectRatio);
    // Across the page, at the top, as large as the page allows.
    const QRect target(QPoint(area.x() + (area.width() - size.width()) / 2, area.y()), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    ++pagesPrinted_;
}

}  // namespace vellora
