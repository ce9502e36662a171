#pragma once

#include <QString>

namespace vellora::texts {

// What a new question page and its choice rows hold until the author types.
inline const QString kNewStimulusText = QStringLiteral("Question");
inline const QString kNewChoiceText = QStringLiteral("Choice");      // + the row's number
inline const QString kNewResponseText = QStringLiteral("Response");  // + the row's number

}  // namespace vellora::texts
