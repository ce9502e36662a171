#pragma once

#include <QString>
#include <QStringList>

// The question page's own texts, in one place.
namespace vellora::texts {

inline const QString kStimulusDesign = QStringLiteral("Stimulus");
inline const QString kRepeatCaption = QStringLiteral("&Repeat");
inline const QString kRepeatHint = QStringLiteral("Repeat the question and each choice");
inline const QString kScoreCaption = QStringLiteral("Score");
inline const QString kDisplayCaption = QStringLiteral("Display");
inline const QString kValueCaption = QStringLiteral("Value");
inline const QString kChoicesCaption = QStringLiteral("Choices");
inline const QString kCustomResponseCaption = QStringLiteral("Custom Response");
inline const QString kFirstCaption = QStringLiteral("1st");
inline const QString kSecondCaption = QStringLiteral("2nd");
inline const QString kFirstSelection = QStringLiteral("1st Selection");
inline const QString kSecondSelection = QStringLiteral("2nd Selection");
inline const QString kResponseCaption = QStringLiteral("Response");
inline const QString kRemediateCaption = QStringLiteral("Remediate");
inline const QString kNextActionCaption = QStringLiteral("Next Action");
inline const QStringList kResponseItems{QStringLiteral("Default"), QStringLiteral("None"),
                                        QStringLiteral("Custom")};
inline const QStringList kRemediate1Items{QStringLiteral("None"), QStringLiteral("Play pg "),
                                          QStringLiteral("Show corct")};
inline const QStringList kRemediate2Items{QStringLiteral("None"), QStringLiteral("Play pg"),
                                          QStringLiteral("Show corct")};
inline const QStringList kAction1Items{QStringLiteral("Next page"), QStringLiteral("Jump to pg"),
                                       QStringLiteral("Repeat questn")};
inline const QStringList kAction2Items{QStringLiteral("Next page"), QStringLiteral("Jump to pg")};

// The spoken verdicts' lines and their shared sounds in the data directory.
inline const QString kCorrectChoice = QStringLiteral("Correct Choice !");
inline const QString kIncorrectChoice = QStringLiteral("Incorrect Choice !");
inline const QString kThisIsCorrect = QStringLiteral("This is the Correct Choice !");
inline const QString kCorrectSound = QStringLiteral("Correct.wav");
inline const QString kIncorrectSound = QStringLiteral("InCorect.wav");
inline const QString kShowCorrectSound = QStringLiteral("ShwCorct.wav");

}  // namespace vellora::texts
