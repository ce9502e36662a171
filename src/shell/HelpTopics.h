#pragma once

// The help topic numbers the program opens. Domains use 400 + domain; the
// dialogs and the Help menu use their own numbers.
namespace vellora {

inline constexpr int kHelpTutorial = 0;            // Help > Tutorial
inline constexpr int kHelpExportToDisk = 2;        // File > Export To Disk
inline constexpr int kHelpImportFromDisk = 3;      // File > Import From Disk
inline constexpr int kHelpLessonNotFound = 8;      // "Lesson Not Found"
inline constexpr int kHelpDeleteLesson = 20;       // "Delete A Lesson"
inline constexpr int kHelpNewPage = 24;            // "New Page"
inline constexpr int kHelpDiagram = 28;            // "System Domains"
inline constexpr int kHelpOpenLesson = 30;         // "Open A Lesn"
inline constexpr int kHelpExportDestination = 40;  // "Export LESN to Destination"
inline constexpr int kHelpDomainBase = 400;        // 400 + domain (0..22)
inline constexpr int kHelpContents = 501;          // Help > Contents
inline constexpr int kHelpSearch = 504;            // Help > Search

constexpr int helpTopicForDomain(int domain) {
    return kHelpDomainBase + domain;
}

}  // namespace vellora
