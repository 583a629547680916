// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/numberfile.h"

#include "store/files.h"
#include "store/numbers.h"
#include "store/encoding.h"
#include "store/writtenform.h"
#include "store/programfolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <optional>

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

// A kept file: the folder it is for and the number box's text, each percent-encoded on a line of its own, so that
// any name and any text fit, and a file that is anything else is told apart and left unused.
const QByteArray kFolderLine = "mapp="_ba;
const QByteArray kNumberLine = "nr="_ba;

// The program folder as its kept file names it: the same folder reached by a link or "..", or with a "/" at
// its end, is the same folder.
QByteArray folderKey()
{
    const QFileInfo info(programFolder());
    const QString canonical = info.canonicalFilePath();
    return QFile::encodeName(canonical.isEmpty() ? info.absoluteFilePath() : canonical).toPercentEncoding("/");
}

// One file for each folder, named by a digest of the folder's name: a name of any length and any letters
// makes a short file name.
QString keptFilePath(const QByteArray &key)
{
    return userStateFolder() + u'/'
           + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex()) + u".ini"_s;
}

std::optional<QString> keptNumber()
{
    const QByteArray key = folderKey();
    // Never a link, a FIFO or a device, nor a file of more than the reads' bound (readOwnFile).
    const Result<QByteArray> bytes = readOwnFile(keptFilePath(key));
    if (!bytes.ok())
        return std::nullopt;
    const QList<QByteArray> lines = bytes->split('\n');
    if (lines.size() != 3 || !lines[2].isEmpty() || lines[0] != kFolderLine + key || !lines[1].startsWith(kNumberLine))
        return std::nullopt;
    const QByteArray number = QByteArray::fromPercentEncoding(lines[1].sliced(kNumberLine.size()));
    if (!number.isValidUtf8())
        return std::nullopt;
    return QString::fromUtf8(number);
}

void keepNumber(const QString &text)
{
    // Made for the user alone where it is missing; whatever fails here fails the write below, which is ignored.
    const QString folder = userStateFolder();
    QDir().mkpath(QFileInfo(folder).path());
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray key = folderKey();
    (void)writeOwnFile(keptFilePath(key),
                       kFolderLine + key + '\n' + kNumberLine + text.toUtf8().toPercentEncoding() + '\n');
}
} // namespace

QString userStateFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    return (QDir::isAbsolutePath(state) ? state : QDir::homePath() + u"/.local/state"_s) + u"/tankedosan"_s;
}

bool numberKeptInStateFolder()
{
    return keptNumber().has_value();
}

QString readNumberFile()
{
    if (!programFolderIsWritable()) {
        if (auto kept = keptNumber())
            return *kept;
    }
    const QString path = pathInProgramFolder(kNumberFile);
    if (!fileExists(path))
        return kDefault;
    const Result<QByteArray> bytes = readOwnFile(path);
    return bytes.ok() ? firstValue(decodeText(*bytes)) : kDefault;
}

void writeNumberFile(const QString &text)
{
    if (!programFolderIsWritable())
        return keepNumber(text);
    // The write refuses a nr.ini that is not a regular file (a FIFO, a device, a link of any kind); that
    // failure, like every other here, is ignored, so such a nr.ini is skipped and left as it is.
    (void)writeOwnFile(pathInProgramFolder(kNumberFile), encodeLines({text}));
}

} // namespace tankedosan::store
