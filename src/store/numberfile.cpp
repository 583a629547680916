// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/numberfile.h"

#include "store/files.h"
#include "store/numbers.h"
#include "store/encoding.h"
#include "store/writtenform.h"
#include "store/programfolder.h"

using namespace Qt::StringLiterals;

namespace tankedosan::store {

namespace {
const QString kNumberFile = u"nr.ini"_s;
const QString kDefault = u"1"_s;

// The first value of a number file's text, read as delimited input: empty when it is (" ,2", a first line of
// blanks, or the empty box written at the last closing); "1" only for a file with no text at all.
QString firstValue(const QString &text)
{
    if (text.isEmpty())
        return kDefault;
    qsizetype end = text.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            end = i;
            break;
        }
    }
    const QStringView line = QStringView(text).first(end);
    qsizetype b = 0;
    while (b < line.size() && store::isNumberBlank(line[b]))
        ++b;
    QStringView value;
    if (b < line.size() && line[b] == u'"') {
        // A quoted value runs to the closing quote; a comma inside it belongs to the value.
        const QStringView rest = line.sliced(b + 1);
        const qsizetype close = rest.indexOf(u'"');
        value = close < 0 ? rest : rest.first(close);
    } else {
        QStringView rest = line.sliced(b);
        const qsizetype comma = rest.indexOf(u',');
        if (comma >= 0)
            rest = rest.first(comma);
        while (!rest.isEmpty() && store::isNumberBlank(rest.back()))
            rest.chop(1);
        value = rest;
    }
    return value.toString();
}
} // namespace

QString readNumberFile()
{
    const QString path = pathInProgramFolder(kNumberFile);
    if (!fileExists(path))
        return kDefault;
    const Result<QByteArray> bytes = readOwnFile(path);
    return bytes.ok() ? firstValue(decodeText(*bytes)) : kDefault;
}

void writeNumberFile(const QString &text)
{
    // The write refuses a nr.ini that is not a regular file (a FIFO, a device, a link of any kind); that
    // failure, like every other here, is ignored, so such a nr.ini is skipped and left as it is.
    (void)writeOwnFile(pathInProgramFolder(kNumberFile), encodeLines({text}));
}

} // namespace tankedosan::store
