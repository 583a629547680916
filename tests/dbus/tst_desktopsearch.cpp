// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "dbus/desktopsearch.h"
#include "dbus/searchprovider.h"
#include "support/folderfixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tankedosan::dbus;

namespace {
// The hits a reader expects, from a plain model: the collections' lines by name in the folder's order, every
// term found in the lower-case line, those that begin with the first term first, at most 100.
QStringList expectedIds(const QList<std::pair<QString, QStringList>> &collections, const QStringList &terms)
{
    QStringList beginning, others;
    for (const auto &[name, lines] : collections) {
        qsizetype number = 0;
        for (const QString &line : lines) {
            if (line.isEmpty())
                continue;
            ++number;
            const QString lower = line.toLower();
            if (!std::all_of(terms.begin(), terms.end(), [&](const QString &t) { return lower.contains(t.toLower()); }))
                continue;
            (lower.startsWith(terms.front().toLower()) ? beginning : others)
                .append(name + u'/' + QString::number(number));
        }
    }
    return (beginning.mid(0, 100) + others).mid(0, 100);
}

QStringList idsOf(const std::vector<Found> &found)
{
    QStringList ids;
    for (const Found &hit : found)
        ids.append(hit.id());
    return ids;
}
} // namespace

class tst_DesktopSearch : public QObject
{
    Q_OBJECT

    const QStringList citat{u"Hunden skäller"_s, u""_s, u"En HUND och en katt"_s, u"Katten jamar"_s,
                            u"Ärlig hundvakt, ärlig katt"_s};
    const QStringList djur{u"Åsnan och hunden"_s, u"Hundra år"_s, u"Ödlan"_s};

private Q_SLOTS:
    void findsAsTheSearchWindowFinds_data()
    {
        QTest::addColumn<QStringList>("terms");
        QTest::newRow("one term, ÅÄÖ folded") << QStringList{u"HUND"_s};
        QTest::newRow("every term") << QStringList{u"katt"_s, u"hund"_s};
        QTest::newRow("first term leads") << QStringList{u"ärlig"_s};
        QTest::newRow("short term beside a long one") << QStringList{u"å"_s, u"hunden"_s};
        QTest::newRow("none") << QStringList{u"elefant"_s};
    }
    void findsAsTheSearchWindowFinds()
    {
        QFETCH(QStringList, terms);
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, citat);
        folder.write(u"Djur.dat"_s, djur.join(u"\n"_s).toUtf8()); // UTF-8 with LF, as Linux editors write
        DesktopSearch search;
        const QStringList ids = idsOf(search.initial(terms));
        QCOMPARE(ids, expectedIds({{u"Citat"_s, citat}, {u"Djur"_s, djur}}, terms));
        // The texts by id, as the desktop then asks for them.
        for (const Found &hit : search.found(ids)) {
            QStringList lines = hit.collection == u"Citat"_s ? citat : djur;
            lines.removeAll(QString());
            QCOMPARE(hit.proverb, lines.at(hit.number - 1));
        }
    }

    void refusesWhatFindsEverything()
    {
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, citat);
        // A file that is no collection is passed over, and the others still answer.
        folder.write(u"Bild.dat"_s, QByteArray("\x89PNG\0\0hund", 11));
        DesktopSearch search;
        QVERIFY(search.initial({}).empty());
        QVERIFY(search.initial({u"h"_s}).empty());
        QVERIFY(search.initial({u""_s, u"k"_s}).empty());
        QVERIFY(search.narrowed({u"Citat/1"_s}, {u"h"_s}).empty());
        QCOMPARE(search.initial({u"hu"_s}).size(), 3u);
    }

    void hundredAtMostBeginningsFirst()
    {
        FolderFixture folder;
        QStringList lines = FolderFixture::numbered(150, u"En hund"_s);
        lines.append(FolderFixture::numbered(120, u"Hund"_s));
        folder.writeCollection(u"Citat"_s, lines);
        DesktopSearch search;
        const QStringList ids = idsOf(search.initial({u"hund"_s}));
        QCOMPARE(ids, expectedIds({{u"Citat"_s, lines}}, {u"hund"_s}));
        QCOMPARE(ids.size(), 100);
        QCOMPARE(ids.front(), u"Citat/151"_s);
    }

    void narrowsThePreviousHits()
    {
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, citat);
        folder.writeCollection(u"Djur"_s, djur);
        DesktopSearch search;
        const QStringList previous = idsOf(search.initial({u"hund"_s}));
        QCOMPARE(previous, (QStringList{u"Citat/1"_s, u"Djur/2"_s, u"Citat/2"_s, u"Citat/4"_s, u"Djur/1"_s}));
        // Only among the hits given: "Katten jamar" holds "katt" but was no hit.
        QCOMPARE(idsOf(search.narrowed(previous, {u"hund"_s, u"katt"_s})), (QStringList{u"Citat/2"_s, u"Citat/4"_s}));
        QCOMPARE(idsOf(search.narrowed(previous.mid(1), {u"hunden"_s})), QStringList{u"Djur/1"_s});
        // An id the service holds no proverb of, beside one it holds: read for it.
        QCOMPARE(idsOf(search.narrowed({u"Citat/3"_s, u"Citat/4"_s}, {u"katt"_s})),
                 (QStringList{u"Citat/3"_s, u"Citat/4"_s}));
        // A service started anew holds nothing: it searches again, and keeps to the hits it was given.
        DesktopSearch restarted;
        QCOMPARE(idsOf(restarted.narrowed({u"Citat/4"_s, u"Djur/9"_s}, {u"hundv"_s})), QStringList{u"Citat/4"_s});

        // Changed on disk between two calls: read again, its numbers as they are now.
        folder.writeCollection(u"Djur"_s, QStringList{u"Hunden först"_s} + djur);
        const std::vector<Found> now = search.narrowed(previous, {u"hunden"_s});
        QCOMPARE(idsOf(now), (QStringList{u"Citat/1"_s, u"Djur/1"_s, u"Djur/2"_s}));
        QCOMPARE(search.found({u"Djur/2"_s}).front().proverb, djur.front());
        folder.writeCollection(u"Citat"_s, {u"Ny"_s});
        QCOMPARE(search.found({u"Citat/1"_s}).front().proverb, u"Ny"_s);
        QVERIFY(search.narrowed({u"Citat/1"_s}, {u"hunden"_s}).empty());
    }

    void unknownIdsAreLeftOut()
    {
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, citat);
        folder.writeCollection(u"Mitt-Namn"_s, {u"Ett"_s});
        folder.writeCollection(u".Dold"_s, {u"Ett"_s}); // a hidden file is no collection
        DesktopSearch search;
        const QStringList ids{u"Citat/4"_s, u"Citat/5"_s, u"Citat/0"_s, u"Citat/+1"_s, u"Saknas/1"_s,
                              u"Citat"_s,   u"/1"_s,      u"Citat/x"_s, u".Dold/1"_s,  u"Mitt-Namn/1"_s};
        QCOMPARE(idsOf(search.found(ids)), (QStringList{u"Citat/4"_s, u"Mitt-Namn/1"_s}));
        QCOMPARE(readId(u"a/b/7"_s)->collection, u"a/b"_s);
    }

    void fortunesEntriesWhole()
    {
        const QString strfile = QStandardPaths::findExecutable(u"strfile"_s, {u"/usr/bin"_s, u"/usr/sbin"_s});
        QVERIFY2(!strfile.isEmpty(), "strfile (fortune-mod) is one of the test packages");
        FolderFixture folder;
        folder.write(u"dikter"_s, "Rosor \xC3\xA4r r\xC3\xB6"
                                  "da,\n  violer \xC3\xA4r bl\xC3\xA5.\n%\nEn rad\n%\n");
        QCOMPARE(QProcess::execute(strfile, {u"-s"_s, folder.path(u"dikter"_s)}), 0);
        DesktopSearch search;
        const std::vector<Found> hits = search.initial({u"röda"_s, u"violer"_s});
        QCOMPARE(idsOf(hits), QStringList{u"dikter/1"_s});
        QCOMPARE(hits.front().proverb, u"Rosor är röda,\n  violer är blå."_s);
    }

    // What GNOME Shell and KRunner are given for a hit: its id, its text on one row, where it is from, the icon.
    void bothDesktopsAnswer()
    {
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, citat);
        SearchService service(cli::CommandLine{});
        ShellSearch shell(&service);
        RunnerSearch runner(&service);
        QCOMPARE(shell.GetInitialResultSet({u"katt"_s}), (QStringList{u"Citat/3"_s, u"Citat/2"_s, u"Citat/4"_s}));
        QCOMPARE(shell.GetSubsearchResultSet({u"Citat/2"_s, u"Citat/3"_s}, {u"katten"_s}), QStringList{u"Citat/3"_s});
        const QList<QVariantMap> metas = shell.GetResultMetas({u"Citat/4"_s, u"Citat/9"_s});
        QCOMPARE(metas.size(), 1);
        QCOMPARE(metas[0], (QVariantMap{{u"id"_s, u"Citat/4"_s},
                                        {u"name"_s, citat[4]},
                                        {u"description"_s, u"Citat, nr 4"_s},
                                        {u"gicon"_s, u"tankedosan"_s},
                                        {u"clipboardText"_s, citat[4]}}));
        const QList<RunnerMatch> matches = runner.Match(u"  katt   ärlig "_s);
        QCOMPARE(matches.size(), 1);
        QCOMPARE(matches[0].id, u"Citat/4"_s);
        QCOMPARE(matches[0].text, citat[4]);
        QCOMPARE(matches[0].properties.value(u"subtext"_s), QVariant(u"Citat, nr 4"_s));
        QCOMPARE(matches[0].properties.value(u"actions"_s), QVariant(QStringList{u"kopiera"_s}));
        // In the window's order, each below the one before it.
        const QList<RunnerMatch> all = runner.Match(u"katt"_s);
        QCOMPARE(all.size(), 3);
        QVERIFY(all[0].relevance > all[1].relevance && all[1].relevance > all[2].relevance && all[2].relevance > 0);
        QCOMPARE(runner.Actions().size(), 1);
        QCOMPARE(runner.Actions()[0].id, u"kopiera"_s);
        QCOMPARE(runner.Actions()[0].text, u"Kopiera"_s);
        QCOMPARE(runner.Actions()[0].icon, u"edit-copy"_s);
    }

    void shortensNearAHundred()
    {
        const QString words = u"ord "_s.repeated(40); // 160 characters
        QCOMPARE(shortProverb(u"Kort\n  rad"_s), u"Kort rad"_s);
        QCOMPARE(shortProverb(words.first(100)), words.first(100));
        QCOMPARE(shortProverb(words), words.first(99) + u'…');
        QCOMPARE(shortProverb(u"x"_s.repeated(150)), u"x"_s.repeated(100) + u'…');
        QCOMPARE(shortProverb(u"x"_s.repeated(99) + u"😀 slut"_s), u"x"_s.repeated(99) + u'…');
    }
};

QTEST_GUILESS_MAIN(tst_DesktopSearch)
#include "tst_desktopsearch.moc"
