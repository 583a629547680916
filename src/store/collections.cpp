#include "store/collections.h"

#include "store/encoding.h"
#include "store/lines.h"
#include "store/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace store {

namespace {

Failure openFailure(const QFileDevice &file, const QString &path)
{
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        return failures::accessDenied(path);
    case QFileDevice::OpenError:
        if (!QFileInfo::exists(path))
            return failures::fileNotFound(path);
        return failures::pathAccessError(path, file.errorString());
    default:
        return failures::pathAccessError(path, file.errorString());
    }
}

} // namespace

QString collectionPath(const QString &name)
{
    return pathInProgramFolder(name + u".dat"_s);
}

QStringList listFiles(const QString &pattern)
{
    QDir dir(programFolder());
    dir.setNameFilters({pattern});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QStringList listCollections()
{
    QStringList names = listFiles(u"*.dat"_s);
    for (QString &name : names)
        name.chop(4);
    return names;
}

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

MaybeFailure readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return openFailure(file, path);
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failures::ioError(path, file.errorString());
    return std::nullopt;
}

MaybeFailure readCollection(const QString &path, LineStore &lines)
{
    QByteArray bytes;
    if (auto failure = readWholeFile(path, bytes))
        return failure;
    lines = LineStore::fromFileBytes(std::move(bytes));
    return std::nullopt;
}

MaybeFailure readCollection(const QString &path, QStringList &lines)
{
    LineStore store;
    if (auto failure = readCollection(path, store))
        return failure;
    lines = store.toStringList();
    return std::nullopt;
}

MaybeFailure writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return openFailure(file, path);
    // A small write only fills Qt's buffer, and QSaveFile's commit does not notice when emptying that buffer
    // fails (a full disk): it would put the cut-off file in place of the whole one. Flushing first catches it.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString detail = file.errorString();
        file.cancelWriting();
        return failures::ioError(path, detail);
    }
    if (!file.commit())
        return failures::ioError(path, file.errorString());
    return std::nullopt;
}

MaybeFailure writeCollection(const QString &path, const LineStore &lines)
{
    return writeFileAtomically(path, lines.toFileBytes());
}

MaybeFailure writeCollection(const QString &path, const QStringList &lines)
{
    return writeFileAtomically(path, encodeLines(lines));
}

MaybeFailure createEmptyCollection(const QString &path)
{
    return writeFileAtomically(path, QByteArray());
}

MaybeFailure deleteCollection(const QString &path)
{
    if (!fileExists(path))
        return failures::fileNotFound(path);
    QFile file(path);
    if (!file.remove())
        return failures::pathAccessError(path, file.errorString());
    return std::nullopt;
}

} // namespace store
