#include "textfiles/textview.h"

#include "store/encoding.h"
#include "store/shown.h"

using namespace Qt::StringLiterals;

namespace textfiles {

namespace {

// Whether some line is longer than its shown part; lines end at CR or LF here, as the text box breaks them.
bool hasOverlongLine(QStringView text)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\r' || text[i] == u'\n') {
            if (i - start > store::kShownCharacters)
                return true;
            start = i + 1;
        }
    }
    return false;
}

QString shownLines(QStringView text)
{
    QString shown;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\r' || text[i] == u'\n') {
            shown += store::shownPart(text.sliced(start, i - start));
            if (i < text.size())
                shown += text[i];
            start = i + 1;
        }
    }
    return shown;
}

} // namespace

TextView textViewOf(QByteArrayView bytes)
{
    // The encoding is the whole file's, as the list reads it, though only a part may be shown.
    const bool utf16 = store::startsWithUtf16Bom(bytes);
    const bool utf8 = !utf16 && store::detectEncoding(bytes) == store::TextEncoding::Utf8;
    QByteArrayView body = utf8 ? store::withoutByteOrderMark(bytes) : bytes;
    TextView view;
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
    view.text = utf16 ? store::decodeText(body) : utf8 ? store::decodeUtf8(body) : store::decodeWindows1252(body);
    if (hasOverlongLine(view.text)) {
        view.whole = false;
        view.text = shownLines(view.text);
    }
    if (!view.whole)
        view.text += u"\r\n\r\n[Filen är för stor för att visas hel här. Listan visar alla rader.]"_s;
    return view;
}

} // namespace textfiles
