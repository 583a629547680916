// SPDX-License-Identifier: LicenseRef-Tankedosan
// nr.ini as the start reads it and the close writes it back, in a program folder of the run's own.
#include "fuzz.h"

#include "store/numberfile.h"
#include "store/programfolder.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace tankedosan::store;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir folder;
    static const bool pointed = (setProgramFolder(folder.path()), true);
    const fuzz::AllocationBound bound(size);
    const QByteArrayView bytes(data, qsizetype(size));
    QFile file(pathInProgramFolder(u"nr.ini"_s));
    FUZZ_CHECK(pointed && file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size());
    file.close();

    // The first value: a part of the first line, or "1" for a file without text.
    const QString text = fuzz::decoded(bytes);
    const QString value = readNumberFile();
    const QString firstLine = QString(text).replace(u'\r', u'\n').section(u'\n', 0, 0);
    FUZZ_CHECK(text.isEmpty() ? value == u"1" : firstLine.contains(value));
    if (!value.isValidUtf16())
        return 0;
    writeNumberFile(value);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly) && file.readAll() == fuzz::written({value}));
    // What was quoted comes back only when it reads the same unquoted.
    static const QRegularExpression blankEnd(u"\\A[ \t]|[ \t]\\z"_s);
    const bool bare = !value.contains(u',') && !value.startsWith(u'"') && !blankEnd.match(value).hasMatch();
    FUZZ_CHECK(!bare || readNumberFile() == value);
    return 0;
}
