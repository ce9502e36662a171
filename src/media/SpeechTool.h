#pragma once

#include <QStringList>
#include <QTextStream>

namespace vellora {

// The speech commands of `vellora-pack`:
//
//   vellora-pack speak TEXTFILE OUT.wav [--voice V] [--rate WPM]
//   vellora-pack align WAV TEXTFILE
//
// speak makes the text's narration in OUT.wav; align finds the text's words
// in a narration. Both print one line per word of the text (split at blanks,
// as a page splits it): the word, its stop time in ms and its confidence. `arguments` start with the command's name. Answers the
// exit status: 0 done, 1 unreadable input or failed work (one line on
// `err`), 2 arguments that make no sense.
int SpeechCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// True for the commands SpeechCommand runs.
bool IsSpeechCommand(const QString& command);

}  // namespace vellora
