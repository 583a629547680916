// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/programfolder.h"
#include "support/folderfixture.h"
#include "support/systemfixtures.h"

#include <QCryptographicHash>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_programfolder : public QObject
{
    Q_OBJECT

private slots:
    // The per-user folder (before → after; none at the first start) is seeded from the samples, never over a file
    // or a link, and with no collection beside one of the user's. "*" marks the user's own file (its bytes when it
    // is no sample), "~" a help text an earlier version shipped, "@" a link that leads nowhere.
    void seeding()
    {
        const QStringList rows =
            u"→Citat.dat Djur.dat help.txt|Mina.dat*→Mina.dat* help.txt|help.txt*→Citat.dat Djur.dat "
            u"help.txt*|Citat.dat* help.txt*→Citat.dat* help.txt*|help.txt@→Citat.dat Djur.dat help.txt@|"
            u"Mina.dat* help.txt~→Mina.dat* help.txt"_s.split(u'|');
        for (const QString &row : rows) {
            const FolderFixture t;
            QDir().mkpath(t.path(u"share/sub.dat"_s));
            for (const QString &name : u"Citat.dat|Djur.dat|help.txt|notes.txt"_s.split(u'|'))
                t.write(u"share/"_s + name, name.toUtf8());
            t.write(u"share/help-shipped.sha256"_s,
                    QCryptographicHash::hash("~", QCryptographicHash::Sha256).toHex() + "  help.txt\n");
            for (const QString &name : row.section(u'→', 0, 0).split(u' ', Qt::SkipEmptyParts)) {
                QDir().mkpath(t.path(u"user"_s));
                if (name.endsWith(u'@'))
                    QVERIFY(QFile::link(t.path(u"nowhere"_s), t.path(u"user/"_s + name.chopped(1))));
                else
                    t.write(u"user/"_s + name.chopped(1), name.right(1).toUtf8());
            }
            QCOMPARE(store::seedFolder(t.path(u"user"_s), t.path(u"share"_s)), store::MaybeFailure());
            QStringList found;
            for (const QFileInfo &info : QDir(t.path(u"user"_s)).entryInfoList(kAllEntries, QDir::Name)) {
                const QByteArray bytes = t.read(u"user/"_s + info.fileName());
                const QString mark = QString::fromUtf8(bytes == t.read(u"share/"_s + info.fileName()) ? ""_ba : bytes);
                found << info.fileName() + (info.isSymLink() ? u"@"_s : mark);
            }
            QCOMPARE(row.section(u'→', 0, 0) + u'→' + found.join(u' '), row);
            QVERIFY(!QFileInfo::exists(t.path(u"nowhere"_s)));
        }
    }

#ifdef Q_OS_LINUX
    // On a full disk the failure names the file, and the first seeding leaves no folder, so the next is whole.
    void seedingFailsAsAValue()
    {
        SmallFileSystem disk(16 * 1024);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        const FolderFixture t;
        QDir().mkpath(t.path(u"share"_s));
        t.write(u"share/B.dat"_s, "B\r\n");
        t.write(u"share/help.txt"_s, "Hjälp\r\n");
        t.write(u"share/A.dat"_s, QByteArray(64 * 1024, 'x'));
        const QString user = disk.path() + u"/Tankedosan"_s;
        const store::MaybeFailure full = store::seedFolder(user, t.path(u"share"_s));
        QVERIFY2(full && full->description.contains(u"A.dat"_s), full ? qPrintable(full->description) : "no failure");
        QCOMPARE(QDir(disk.path()).entryList(kAllEntries), QStringList());
        t.write(u"share/A.dat"_s, "A\r\n");
        QCOMPARE(store::seedFolder(user, t.path(u"share"_s)), store::MaybeFailure());
        QCOMPARE(QDir(user).entryList(kAllEntries, QDir::Name), (QStringList{u"A.dat"_s, u"B.dat"_s, u"help.txt"_s}));
    }
#endif
};

QTEST_GUILESS_MAIN(tst_programfolder)
#include "tst_programfolder.moc"
