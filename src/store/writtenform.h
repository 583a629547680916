// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/linestore.h"

#include <QByteArray>
#include <QStringList>

namespace tankedosan::store {

// The written form of lines (LineStore::toFileBytes): every line followed by CR LF, in Windows-1252 when every
// character fits and the bytes read back as the same text, else in UTF-8 behind a byte-order mark (never a "?"
// in place of a character).
QByteArray encodeLines(const QStringList &lines);

} // namespace tankedosan::store
