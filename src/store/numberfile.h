// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QString>

namespace tankedosan::store {

// nr.ini remembers the text of the number box between runs.

// The first value of nr.ini (up to the first comma or the end of the first line, blanks and surrounding
// double quotes removed), which may be empty; "1" when the file is missing, empty or cannot be read.
QString readNumberFile();

// Replaces nr.ini with the text and CR LF. Failures are ignored: closing the program must never stop on them.
void writeNumberFile(const QString &text);

} // namespace tankedosan::store
