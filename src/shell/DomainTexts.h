#pragma once

#include <QString>

// Texts of the domains, the tool strip, the menus and the small dialogs.
namespace vellora::texts {

inline const QString kRequestedDomainIs = QStringLiteral("Requested domain is ");
inline const QString kDomainRequestedIs = QStringLiteral("Domain requested is ");
inline const QString kEraseWords = QStringLiteral("Editing text will erase all previous words. Continue?");

inline const QString kInsertPageRefused =
    QStringLiteral("Beta version cannot insert pages in between existing pages.");
inline const QString kDeletePageRefused =
    QStringLiteral("Beta version cannot delete pages in between existing pages.");

inline const QString kHintIconsLeft = QStringLiteral("Scroll icons to the left");
inline const QString kHintIconsRight = QStringLiteral("Scroll icons to the right");
inline const QString kHintSelectDomain = QStringLiteral("Choose a domain to go to");

// New-page dialog
inline const QString kNewPageCaption = QStringLiteral("New Page");
inline const QString kCreateNewPage = QStringLiteral("Create New Page?");
inline const QString kReadingPage = QStringLiteral("Reading page");
inline const QString kQuestionPage = QStringLiteral("Question page");
inline const QString kNotEncountered = QStringLiteral("not encountered.");
inline const QString kTypeOfPage = QStringLiteral("Type of Page");
inline const QString kReading = QStringLiteral("Reading");
inline const QString kQuestion = QStringLiteral("Question");
inline const QString kHintPageType = QStringLiteral("Select Reading or Question Page");

// Directory chooser
inline const QString kExportDestination = QStringLiteral("Export LESN to Destination");
inline const QString kDrive = QStringLiteral("Drive");
inline const QString kDirectory = QStringLiteral("Directory:");
inline const QString kFiles = QStringLiteral("Files");

// About box and splash
inline const QString kAboutCaption = QStringLiteral("About");
inline const QString kProductName = QStringLiteral("Vellora");
inline const QString kProductPlatform = QStringLiteral("for desktop systems");
inline const QString kAboutVersion = QStringLiteral("Version  Beta 0.80");
inline const QString kSystemVersion = QStringLiteral("System Version:");
inline const QString kMemoryInUse = QStringLiteral("Memory in Use:");
inline const QString kPhysicalMemory = QStringLiteral("Physical Memory:");
inline const QString kSplashVersion = QStringLiteral("Version 0.80 (Beta)");

// Domain diagram
inline const QString kDiagramCaption = QStringLiteral("System Domains");
inline const QString kClickedDomain = QStringLiteral("Clicked Domain");
inline const QString kView = QStringLiteral("View");
inline const QString kActivate = QStringLiteral("Activate");
inline const QString kViewLine1 = QStringLiteral("Put cursor on domains");
inline const QString kViewLine2 = QStringLiteral("for more information");
inline const QString kActivateLine1 = QStringLiteral("Click on domains");
inline const QString kActivateLine2 = QStringLiteral("to activate them");

}  // namespace vellora::texts
