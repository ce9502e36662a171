#pragma once

#include <QObject>
#include <memory>

class QPainter;
class QPrinter;

namespace vellora {

struct AppState;
class Dialogs;
class TMainForm;

enum class PrintOutcome {
    Printed,    // every page went to the printer
    Cancelled,  // the print dialog was cancelled: nothing printed
    Stopped,    // the author stopped a lesson print (Esc), or the lesson went away meanwhile
    Failed,     // the printer could not be started (the author has been told)
};

// File > Print, the print tool and File > Printer Setup. In the Lesn domain
// the whole lesson is printed, one printed page per lesson page, each an
// image of the main window showing that page; elsewhere the main window as it
// stands. One printer serves the whole session, so the settings made in the
// page set-up and print dialogs hold until the program ends.
class Printing : public QObject {
    Q_OBJECT
public:
    Printing(AppState& state, TMainForm& form, Dialogs& dialogs, QObject* parent = nullptr);
    ~Printing() override;

    // Asks for the printer, then prints (see above).
    void FilePrintClick();
    // Paper, orientation and margins of the session's printer.
    void FilePrinterSetupClick();

    // What FilePrintClick prints, onto `printer`, without asking.
    PrintOutcome print(QPrinter& printer);
    // Pages 0 (the title page) to PageCount of the open lesson, each shown in
    // the Picture domain and printed; then back to the page and domain the
    // author was on. The status line tells the page being printed; Esc stops.
    PrintOutcome printLesson(QPrinter& printer);

    // The session's printer, made when first needed.
    QPrinter& printer();
    // Printed pages of the last print.
    int pagesPrinted() const { return pagesPrinted_; }

private:
    // An image of the main window, scaled to fit the printable area.
    void printWindow(QPainter& painter, QPrinter& printer);
    bool begin(QPainter& painter, QPrinter& printer);
    // The author stopped the print, or the lesson being printed is gone.
    bool interrupted(qint64 lesson) const;

    AppState& state_;
    TMainForm& form_;
    Dialogs& dialogs_;
    std::unique_ptr<QPrinter> printer_;
    bool printing_ = false;
    int pagesPrinted_ = 0;
};

}  // namespace vellora
