// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "import/importlogic.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tankedosan::import {

namespace {

store::MaybeFailure unreadableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        return store::failures::pathNotFound(folder);
    if (!info.isReadable() || !info.isExecutable())
        return store::failures::accessDenied(folder);
    return std::nullopt;
}

void sortByName(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

// A whole-name match of one wildcard pattern. Only "*" and "?" are wildcards: every other character, "[" and
// "]" among them, stands for itself, as file names hold them ("a[1].txt").
QRegularExpression expressionOf(QStringView pattern)
{
    QString expression, literal; // literal: the text since the last wildcard, escaped as a whole
    for (const QChar c : pattern) {
        if (c != u'*' && c != u'?') {
            literal += c;
            continue;
        }
        expression += QRegularExpression::escape(literal) + (c == u'*' ? u".*"_s : u"."_s);
        literal.clear();
    }
    expression += QRegularExpression::escape(literal);
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::CaseInsensitiveOption
                                  | QRegularExpression::DotMatchesEverythingOption);
}

// One expression for each wildcard pattern, made once for a whole folder of names.
QList<QRegularExpression> expressionsOf(const QString &patterns)
{
    QList<QRegularExpression> expressions;
    for (const QString &raw : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = raw.trimmed();
        if (!pattern.isEmpty())
            expressions.append(expressionOf(pattern));
    }
    return expressions;
}

bool matchesAny(const QString &fileName, const QList<QRegularExpression> &expressions)
{
    return std::any_of(expressions.cbegin(), expressions.cend(),
                       [&](const QRegularExpression &re) { return re.match(fileName).hasMatch(); });
}

} // namespace

store::Result<QStringList> listMatchingFiles(const QString &folder, const QString &patterns)
{
    if (auto failure = unreadableFolder(folder))
        return *failure;
    const QList<QRegularExpression> expressions = expressionsOf(patterns);
    QStringList found;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (matchesAny(name, expressions))
            found << name;
    }
    sortByName(found);
    return found;
}

store::Result<QList<FolderEntry>> folderEntries(const QString &path)
{
    if (auto failure = unreadableFolder(path))
        return *failure;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QList<FolderEntry> result;
    // The ancestors, from the root down.
    QStringList chain;
    for (QDir dir(clean);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    for (int i = 0; i < chain.size(); ++i) {
        const QString caption = i == 0 ? QDir::toNativeSeparators(chain[i]) : QFileInfo(chain[i]).fileName();
        result.append({chain[i], caption, i, i == chain.size() - 1});
    }
    QStringList subfolders = QDir(clean).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    sortByName(subfolders);
    for (const QString &name : subfolders)
        result.append({QDir(clean).filePath(name), name, int(chain.size()), false});
    return result;
}

QStringList drives()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    if (roots.isEmpty())
        roots << QDir::rootPath();
    sortByName(roots);
    return roots;
}

QString driveOf(const QString &path, const QStringList &drives)
{
    const QString clean = QDir::cleanPath(path);
    QString best;
    for (const QString &root : drives) {
        const QString r = QDir::cleanPath(root);
        const bool inside = clean == r || clean.startsWith(r.endsWith(u'/') ? r : r + u'/');
        if (inside && r.size() > best.size())
            best = root;
    }
    return best.isEmpty() ? QDir::rootPath() : best;
}

QString fileInFolder(const QString &folder, const QString &fileName)
{
    // A backslash is a letter of a name here, not a separator: a folder's name may end in one.
    return QDir(folder).filePath(fileName);
}

} // namespace tankedosan::import
