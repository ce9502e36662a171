#pragma once

#include <QString>

// The help window's own texts, in one place.
namespace vellora::texts {

inline const QString kHelpWindowTitle = QStringLiteral("Vellora Help");
inline const QString kHelpBack = QStringLiteral("Back");
inline const QString kHelpForward = QStringLiteral("Forward");
inline const QString kHelpContentsButton = QStringLiteral("Contents");
inline const QString kHelpSearchPlaceholder = QStringLiteral("Type words to search the help");
inline const QString kHelpAllTopics = QStringLiteral("All topics");
inline const QString kHelpOneFound = QStringLiteral("1 topic found");
inline const QString kHelpManyFound = QStringLiteral("%1 topics found");
inline const QString kHelpNothingFound = QStringLiteral("No topic contains all of these words.");
inline const QString kHelpUnknownTitle = QStringLiteral("Topic not found");
inline const QString kHelpUnknownText = QStringLiteral("There is no help topic number %1.");
inline const QString kHelpUnknownAdvice = QStringLiteral(
    "Open the <a href=\"contents.html\">Contents</a> to find the help you need, "
    "or type a few words into the search box above.");

}  // namespace vellora::texts
