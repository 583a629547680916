#include "support/modal.h"
#include "support/systemfixtures.h"

#include "editor/frmredigera.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "store/collections.h"
#include "store/programfolder.h"
#include "textfiles/frmtextedit.h"

#include <QDirIterator>

using namespace Qt::StringLiterals;

namespace {

enum class Fault { DiskFull, ReadOnlyFolder };
using Platform = platform::ScriptedPlatform;
using Command = std::function<void(frmmain &, Platform &)>;
constexpr auto Yes = platform::Answer::Yes;
// A row: the command, the fault it meets, and whether it fails without a word.
struct Write { Command command; Fault fault = Fault::DiskFull; bool silent = false; };

// Every file of the folder with its bytes: what a failed command must leave exactly as it was.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden); it.hasNext();) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(it.fileName(), file.readAll());
    }
    return files;
}

// The commands that write, each run against the fault; the program folder already holds the fault.
void inEditor(frmmain &w, Platform &platform, bool save)
{
    frmredigera editor(w, platform);
    editor.takeCollectionsFromMain();
    if (!save)
        return editor.cmddublett_Click();
    editor.addLine(u"Ett nytt ordspråk"_s);
    editor.enterChangedState();
    editor.cmd1_Click();
    QVERIFY2(editor.cmd1->isEnabled(), "a failed save leaves the editor in its changed state");
}

void inSearch(frmmain &w, Platform &platform, bool save)
{
    frmsök search(platform, w, &w);
    search.Text1->setText(u"a"_s);
    search.cmdsök_Click();
    if (save) {
        platform.setNextInput(u"lista"_s);
        platform.setNextAnswer(Yes);
        return search.cmdsparatextfil_Click();
    }
    search.chksökresultat->setChecked(true);
    search.Text1->setText(u"b"_s);
    search.cmdsök_Click();
}

void inTextFiles(frmmain &w, Platform &platform, bool save)
{
    frmtextedit textFiles(platform, &w);
    textFiles.list_filer->setCurrentRow(0);
    textFiles.list_filer_Click();
    platform.setNextAnswer(Yes);
    if (save) {
        textFiles.optvisa[1]->setChecked(true);
        return textFiles.cmdspara_Click();
    }
    textFiles.List1->setCurrentIndex(textFiles.List1->model()->index(0, 0));
    textFiles.cmdradera_Click();
}

} // namespace

// Every command that writes a file, on a full disk: the program's error message, no file changed, and
// nothing reported as saved. Closing writes nr.ini silently and ignores its failure. Every write goes
// through the store's one atomic write, tested on both faults there; the full disk is the one where a
// half-done write would show in the files.
class tst_faults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { store::ignoreFileSizeSignal(); }

    void everyWriteFailsSafely_data()
    {
        QTest::addColumn<Write>("c");
        QTest::newRow("delete proverb") << Write{[](frmmain &w, Platform &p) { p.setNextAnswer(Yes); w.mnuarkiv_raderaordspråk_Click(); }};
        // An empty new collection needs no room, so it is made on a full disk.
        QTest::newRow("new collection") << Write{[](frmmain &w, Platform &p) { p.setNextInput(u"Ny"_s); w.cmdordspråk_ny_Click(); }, Fault::ReadOnlyFolder};
        QTest::newRow("editor save") << Write{[](frmmain &w, Platform &p) { inEditor(w, p, true); }};
        QTest::newRow("duplicate report") << Write{[](frmmain &w, Platform &p) { inEditor(w, p, false); }};
        QTest::newRow("search within results") << Write{[](frmmain &w, Platform &p) { inSearch(w, p, false); }};
        QTest::newRow("save results") << Write{[](frmmain &w, Platform &p) { inSearch(w, p, true); }};
        QTest::newRow("quick-save list") << Write{[](frmmain &w, Platform &p) {
            w.snabbsparaFönster().setLista(u"Spara mig"_s);
            p.setNextInput(u"lista"_s);
            p.setNextAnswer(Yes);
            w.snabbsparaFönster().cmdspara_Click();
        }};
        QTest::newRow("text file, delete line") << Write{[](frmmain &w, Platform &p) { inTextFiles(w, p, false); }};
        QTest::newRow("text file, save") << Write{[](frmmain &w, Platform &p) { inTextFiles(w, p, true); }};
        QTest::newRow("nr.ini") << Write{[](frmmain &w, Platform &) { w.txtnr->setText(u"2"_s); w.close(); }, Fault::DiskFull, true};
    }

    void everyWriteFailsSafely()
    {
        QFETCH(Write, c);
        const auto &[command, fault, silent] = c;
        SmallFileSystem disk(1 << 20);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        const QString folder = disk.path();
        for (const auto &[name, bytes] : {std::pair{"Citat.dat", "a och b\r\nab igen\r\nab igen\r\n"}, {"nr.ini", "1\r\n"},
                                          {"lista.txt", "gammal rad\r\nannan rad\r\n"}, {"temp_.tmp", "gammal\r\n"},
                                          {"dublett-check.txt", "gammal rapport\r\nrad tv\xE5\r\n"}}) {
            QFile file(folder + u'/' + QString::fromLatin1(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == qint64(qstrlen(bytes)));
        }
        store::setProgramFolder(folder);
        Platform platform;
        frmmain w(platform);
        w.show();
        QVERIFY(platform.takeBoxes().isEmpty());

        if (fault == Fault::DiskFull)
            QVERIFY(disk.fill(u"fyllnad"_s));
        else
            QVERIFY(::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
        const auto before = snapshot(folder);
        command(w, platform);
        QCOMPARE(snapshot(folder), before);

        QStringList texts;
        for (const auto &box : platform.boxes())
            texts << box.text;
        const QString shown = texts.join(u" | "_s);
        QVERIFY2(!shown.contains(u"sparad"_s), qPrintable(shown));
        if (silent) {
            QVERIFY2(texts.isEmpty(), qPrintable(shown));
        } else {
            // The standard message, or the search window's short form "Error " and the number.
            const QString number = fault == Fault::DiskFull ? u"61"_s : u"70"_s;
            QVERIFY2(shown.contains(u"\r\n"_s + number + u" - "_s) || shown == u"Error "_s + number, qPrintable(shown));
        }
    }
};

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
