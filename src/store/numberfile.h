// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QString>

namespace tankedosan::store {

// nr.ini remembers the text of the number box between runs. A folder the user cannot write in (fortune's, a
// read-only disk) takes no nr.ini: its number is kept in the user's state folder instead, one small file for
// each such folder.

// The first value of nr.ini (up to the first comma or the end of the first line, blanks and surrounding
// double quotes removed), which may be empty; "1" when the file is missing, empty or cannot be read. In a folder
// the user cannot write in, the number kept for it in the state folder, else nr.ini's as above.
QString readNumberFile();

// Replaces nr.ini with the text and CR LF; in a folder the user cannot write in, the number kept for it in the
// state folder. Failures are ignored: closing the program must never stop on them.
void writeNumberFile(const QString &text);

// Whether a number is kept in the state folder for the program folder: it has been started there before and
// the user told that the folder cannot be written in. A kept file that is not the program's own, well-formed
// and for this folder, counts as none.
bool numberKeptInStateFolder();

// Where the program keeps what it must remember about folders it cannot write in: $XDG_STATE_HOME/tankedosan,
// or ~/.local/state/tankedosan where that is not set to an absolute path.
QString userStateFolder();

} // namespace tankedosan::store
