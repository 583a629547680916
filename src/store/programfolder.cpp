#include "store/programfolder.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace store {

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

MaybeFailure checkName(const QString &name)
{
    if (name == u"."_s || name == u".."_s || name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return failures::nameNotAllowed(name);
    return std::nullopt;
}

} // namespace store
