// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/programfolder.h"

#include "store/collections.h"
#include "store/files.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace tankedosan::store {

namespace {
QString &folderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString &folder)
{
    folderOverride() = folder;
}

QString pathInProgramFolder(const QString &fileName)
{
    return programFolder() + u'/' + fileName;
}

bool programFolderIsWritable()
{
    return ::access(QFile::encodeName(programFolder()).constData(), W_OK) == 0;
}

MaybeFailure checkName(const QString &name)
{
    if (name.startsWith(u'.') || name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return failures::nameNotAllowed(name);
    return std::nullopt;
}

MaybeFailure checkNameForWriting(const QString &name)
{
    if (auto failure = checkName(name))
        return failure;
    long limit = -1;
#ifdef Q_OS_UNIX
    limit = ::pathconf(QFile::encodeName(programFolder()).constData(), _PC_NAME_MAX);
#endif
    if (limit <= 0)
        limit = 255;
    const qsizetype extension = 4; // ".dat", ".txt"
    if (QFile::encodeName(name).size() + extension + kTemporaryNameBytes > limit)
        return failures::nameTooLong(name);
    return std::nullopt;
}

namespace {
const QString kSamplesBesideBin = u"../share/tankedosan"_s;
const QString kHelpFile = u"help.txt"_s;
const QString kShippedHelpSums = u"help-shipped.sha256"_s;

bool nameTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool holdsCollection(const QString &folder)
{
    QDir dir(folder);
    dir.setNameFilters({collectionPattern()});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    return !dir.entryList().isEmpty();
}

MaybeFailure copyIfAbsent(const QString &from, const QString &to)
{
    if (nameTaken(to))
        return std::nullopt;
    const Result<QByteArray> bytes = readWholeFile(from);
    if (auto failure = bytes.failure())
        return failure;
    return writeFileAtomically(to, *bytes);
}

// The SHA-256 sums (lower-case hex, first word of each line, as sha256sum writes them) of every help text
// that a version of the program shipped.
QList<QByteArray> shippedHelpSums(const QString &samplesFolder)
{
    const Result<QByteArray> text = readWholeFile(samplesFolder + u'/' + kShippedHelpSums);
    if (!text.ok())
        return {};
    QList<QByteArray> sums;
    for (const QByteArray &line : text->split('\n')) {
        const QByteArray word = line.simplified().split(' ').value(0).toLower();
        if (word.size() == 64)
            sums.append(word);
    }
    return sums;
}

// A help text that an earlier version shipped and the user never edited is ours to bring up to date; one the
// user changed, or a link, stays as it is.
MaybeFailure renewHelp(const QString &from, const QString &to, const QString &samplesFolder)
{
    const QFileInfo info(to);
    if (info.isSymLink() || !info.isFile())
        return std::nullopt;
    const Result<QByteArray> mine = readWholeFile(to);
    if (!mine.ok())
        return std::nullopt;
    const Result<QByteArray> shipped = readWholeFile(from);
    if (!shipped.ok() || *mine == *shipped)
        return std::nullopt;
    const QByteArray sum = QCryptographicHash::hash(*mine, QCryptographicHash::Sha256).toHex();
    if (!shippedHelpSums(samplesFolder).contains(sum))
        return std::nullopt;
    return writeFileAtomically(to, *shipped);
}
} // namespace

FolderChoice chooseProgramFolder(const QString &executableFolder, const QString &namedFolder,
                                 const QString &perUserFolder)
{
    if (!namedFolder.isEmpty())
        return {QDir::cleanPath(namedFolder), {}};
    const QString samples = QDir::cleanPath(executableFolder + u'/' + kSamplesBesideBin);
    if (!perUserFolder.isEmpty() && QFileInfo(samples).isDir())
        return {QDir::cleanPath(perUserFolder), samples};
    return {QDir::cleanPath(executableFolder), {}};
}

namespace {
// Copies the samples that are missing, collections only into a folder that holds none; the first failure.
MaybeFailure copySamples(const QString &folder, const QString &samplesFolder)
{
    QStringList names;
    if (!holdsCollection(folder)) {
        QDir samples(samplesFolder);
        samples.setNameFilters({collectionPattern()});
        samples.setFilter(QDir::Files);
        names = samples.entryList();
    }
    names.append(kHelpFile);
    MaybeFailure first;
    for (const QString &name : std::as_const(names)) {
        const QString from = samplesFolder + u'/' + name;
        if (name == kHelpFile && !QFileInfo::exists(from))
            continue;
        auto failure = copyIfAbsent(from, folder + u'/' + name);
        if (!failure && name == kHelpFile)
            failure = renewHelp(from, folder + u'/' + name, samplesFolder);
        if (failure && !first)
            first = std::move(failure);
    }
    return first;
}

// The first seeding fills a folder of its own beside the user's and renames it into place only once every
// sample is in it: a start that fails half-way leaves no folder, so the next start seeds it whole instead of
// finding a collection there and taking the folder for seeded. Gives true in `seeded` when it took place.
MaybeFailure seedNewFolder(const QString &folder, const QString &samplesFolder, bool &seeded)
{
    seeded = false;
    const QFileInfo target(folder);
    const QString parent = target.absolutePath();
    errno = 0;
    if (!QDir().mkpath(parent))
        return errno != 0 ? failures::fromSystemError(errno, folder) : failures::pathAccessError(folder);
    QString scratch;
    for (int attempt = 0; scratch.isEmpty(); ++attempt) {
        const QString name = parent + u"/."_s + target.fileName() + u"-ny-"_s
                             + QString::number(QCoreApplication::applicationPid()) + u'-' + QString::number(attempt);
        errno = 0;
        if (QDir().mkdir(name))
            scratch = name;
        else if (errno != EEXIST || attempt > 100)
            return errno != 0 ? failures::fromSystemError(errno, folder) : failures::pathAccessError(folder);
    }
    if (auto failure = copySamples(scratch, samplesFolder)) {
        QDir(scratch).removeRecursively();
        return failure;
    }
    errno = 0;
    if (::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(folder).constData()) != 0) {
        const int error = errno;
        QDir(scratch).removeRecursively();
        // Another copy of the program made the folder meanwhile: it is seeded there, or is seeding it.
        if (error == EEXIST || error == ENOTEMPTY)
            return std::nullopt;
        return failures::fromSystemError(error, folder);
    }
    seeded = true;
    return std::nullopt;
}
} // namespace

MaybeFailure seedFolder(const QString &folder, const QString &samplesFolder)
{
    if (samplesFolder.isEmpty())
        return std::nullopt;
    if (!nameTaken(folder)) {
        bool seeded = false;
        auto failure = seedNewFolder(folder, samplesFolder, seeded);
        if (failure || seeded)
            return failure;
    }
    if (!QFileInfo(folder).isDir())
        return failures::pathAccessError(folder);
    return copySamples(folder, samplesFolder);
}

MaybeFailure settleProgramFolder(const QString &namedFolder)
{
    const FolderChoice choice = chooseProgramFolder(QCoreApplication::applicationDirPath(), namedFolder,
                                                    QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    setProgramFolder(choice.folder);
    return seedFolder(choice.folder, choice.samplesFolder);
}

} // namespace tankedosan::store
