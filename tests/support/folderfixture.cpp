// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/folderfixture.h"

#include "store/module1.h"
#include "store/programfolder.h"

using namespace tankedosan;
using namespace tankedosan::store;

FolderFixture::FolderFixture()
{
    store::setProgramFolder(m_dir.path());
    store::Module1::reset();
}

FolderFixture::~FolderFixture()
{
    store::setProgramFolder(QString());
}

void FolderFixture::write(const QString &fileName, const QByteArray &bytes) const
{
    QFile file(path(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
}

QByteArray FolderFixture::read(const QString &fileName) const
{
    QFile file(path(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

QStringList FolderFixture::numbered(int count, const QString &stem)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(stem + QLatin1Char(' ') + QString::number(i));
    return lines;
}
