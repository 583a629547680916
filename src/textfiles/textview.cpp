// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "textfiles/textview.h"

#include "store/encoding.h"
#include "store/shown.h"

using namespace Qt::StringLiterals;

namespace tankedosan::textfiles {

TextView textViewOf(QByteArrayView bytes)
{
    // The encoding is the whole file's, as the list reads it, though only a part may be shown.
    TextView view;
    view.encoding = store::encodingOf(bytes);
    const bool utf8 = view.encoding.encoding == store::TextEncoding::Utf8;
    const bool utf16 = !utf8 && view.encoding.encoding != store::TextEncoding::Windows1252;
    QByteArrayView body = bytes.sliced(view.encoding.markSize());
    if (body.size() > kTextViewBytes) {
        view.whole = false;
        qsizetype cut = kTextViewBytes;
        // Never in the middle of a character.
        if (utf16)
            cut &= ~qsizetype(1);
        while (utf8 && cut > 0 && (static_cast<unsigned char>(body[cut]) & 0xC0) == 0x80)
            --cut;
        body = body.first(cut);
    }
    view.text = store::decodeAs(body, view.encoding.encoding);
    bool cut = false;
    QString shown = store::shownLines(view.text, &cut);
    if (cut) {
        view.whole = false;
        view.text = std::move(shown);
    }
    if (!view.whole)
        view.text += u"\r\n\r\n[Filen är för stor för att visas hel här. Listan visar alla rader.]"_s;
    return view;
}

} // namespace tankedosan::textfiles
