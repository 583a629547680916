// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/encoding.h"

#include <QByteArrayView>
#include <QString>

namespace tankedosan::textfiles {

// The most of a file that the text view holds. A text box lays out everything it is given, so a file of
// hundreds of megabytes would freeze the window; past this many bytes the view shows the beginning only.
// This is the one place the bound is set. The list view shows every line (each by its shown part).
inline constexpr qsizetype kTextViewBytes = 2'000'000;

// What the text view shows of a file.
struct TextView
{
    QString text;
    // False when the file was cut (at kTextViewBytes, or a line at its shown part): such a view must never
    // be written back over the file.
    bool whole = true;
    // What the file was read as, and so is written back as.
    store::FileEncoding encoding;
};

// The file's text by its encoding, bounded as above; a cut view ends with a note saying so.
TextView textViewOf(QByteArrayView bytes);

} // namespace tankedosan::textfiles
