// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace tankedosan::store {

// The read form of every text file: a line ends at CR LF or at a CR alone, an LF without a CR before it
// belongs to the line, and the last line counts without a line end. A file whose lone LFs outnumber its CRs
// is a Unix text file: there CR LF, CR and LF each end a line. The lines are those of
// LineStore::fromFileBytes, which it calls.

// Every line of a file's bytes, decoded by the file's encoding, empty ones included (the help text keeps its
// blank lines).
QStringList allLines(QByteArrayView bytes);

} // namespace tankedosan::store
