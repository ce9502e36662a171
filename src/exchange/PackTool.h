#pragma once

#include <QStringList>
#include <QTextStream>

namespace vellora {

// The command-line tool `vellora-pack`: lists, exports and imports the
// lessons of a data directory without the program's windows.
//
//   vellora-pack [--data-dir DIR] list
//   vellora-pack [--data-dir DIR] export LESSON DIR [--disk-size BYTES]
//   vellora-pack [--data-dir DIR] import PATH [PATH...]
//
// `arguments` as the process got them (the first names the program). Answers
// the exit status: 0 on success, 1 when the work failed (one line on `err`),
// 2 for arguments that make no sense.
int VelloraPack(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace vellora
