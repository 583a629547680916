#include "support/faultshim.h"
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

// The shim's faults hit the collection: reading it (when the command reads it again), syncing it, renaming
// the new file over it.
enum class Fault { DiskFull, ReadOnlyFolder, ReadFails, SyncFails, RenameFails };
using Platform = platform::ScriptedPlatform;
using Command = std::function<void(frmmain &, Platform &)>;
constexpr auto Yes = platform::Answer::Yes;
// A row: the command, the fault it meets, and whether it fails without a word.
struct Write
{
    Command command;
    Fault fault = Fault::DiskFull;
    bool silent = false;
};

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
    frmredigera editor(w.link(), platform);
    editor.takeCollectionsFromMain();
    if (!save)
        return editor.cmddublett_Click();
    editor.addLine(u"Ett nytt ordspråk"_s);
    editor.enterChangedState();
    editor.cmd1_Click();
    QVERIFY2(editor.cmd1->isEnabled(), "a failed save leaves the editor in its changed state");
}

// Another copy of the program, a process of its own, writes the collection back from what it reads: one line
// dropped ("drop", index) or one added ("add", text).
void otherCopy(const QString &action, const QString &argument)
{
    QCOMPARE(QProcess::execute(QStringLiteral(OTHER_COPY), {store::collectionPath(u"Citat"_s), action, argument}), 0);
}

// Sets the modification time of a file to the given one plus a nanosecond.
void touchOneNanosecondLater(const QString &path, const struct stat &before)
{
    timespec times[2] = {before.st_atim, before.st_mtim};
    if (++times[1].tv_nsec == 1000000000) {
        times[1].tv_nsec = 0;
        ++times[1].tv_sec;
    }
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

void inSearch(frmmain &w, Platform &platform, bool save)
{
    frmsök search(platform, w.link(), &w);
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
// half-done write would show in the files. A sync or a rename failing with EIO (from the shim) must leave the
// old file whole as well.
class tst_faults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { store::ignoreFileSizeSignal(); }
    void cleanup() { faultshim::reset(); }

    void everyWriteFailsSafely_data()
    {
        QTest::addColumn<Write>("c");
        QTest::newRow("delete proverb") << Write{[](frmmain &w, Platform &p) {
            p.setNextAnswer(Yes);
            w.mnuarkiv_raderaordspråk_Click();
        }};
        // An empty new collection needs no room, so it is made on a full disk.
        QTest::newRow("new collection") << Write{[](frmmain &w, Platform &p) {
                                                     p.setNextInput(u"Ny"_s);
                                                     w.cmdordspråk_ny_Click();
                                                 },
                                                 Fault::ReadOnlyFolder};
        QTest::newRow("editor save") << Write{[](frmmain &w, Platform &p) {
            inEditor(w, p, true);
        }};
        QTest::newRow("duplicate report") << Write{[](frmmain &w, Platform &p) {
            inEditor(w, p, false);
        }};
        QTest::newRow("search within results") << Write{[](frmmain &w, Platform &p) {
            inSearch(w, p, false);
        }};
        QTest::newRow("save results") << Write{[](frmmain &w, Platform &p) {
            inSearch(w, p, true);
        }};
        QTest::newRow("quick-save list") << Write{[](frmmain &w, Platform &p) {
            w.snabbsparaFönster().setLista(u"Spara mig"_s);
            p.setNextInput(u"lista"_s);
            p.setNextAnswer(Yes);
            w.snabbsparaFönster().cmdspara_Click();
        }};
        QTest::newRow("text file, delete line") << Write{[](frmmain &w, Platform &p) {
            inTextFiles(w, p, false);
        }};
        QTest::newRow("text file, save") << Write{[](frmmain &w, Platform &p) {
            inTextFiles(w, p, true);
        }};
        QTest::newRow("nr.ini") << Write{[](frmmain &w, Platform &) {
                                             w.txtnr->setText(u"2"_s);
                                             w.close();
                                         },
                                         Fault::DiskFull, true};
        QTest::newRow("sync fails with EIO")
            << Write{[](frmmain &w, Platform &p) { inEditor(w, p, true); }, Fault::SyncFails};
        QTest::newRow("rename fails with EIO") << Write{[](frmmain &w, Platform &p) {
                                                            p.setNextAnswer(Yes);
                                                            w.mnuarkiv_raderaordspråk_Click();
                                                        },
                                                        Fault::RenameFails};
        // What could not be read is not written back: the editor's list then is not the file.
        QTest::newRow("editor save after a read failing with EIO")
            << Write{[](frmmain &w, Platform &p) { inEditor(w, p, true); }, Fault::ReadFails};
    }

    void everyWriteFailsSafely()
    {
        QFETCH(Write, c);
        const auto &[command, fault, silent] = c;
        SmallFileSystem disk(1 << 20);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        const QString folder = disk.path();
        for (const auto &[name, bytes] : {std::pair{"Citat.dat", "a och b\r\nab igen\r\nab igen\r\n"},
                                          {"nr.ini", "1\r\n"},
                                          {"lista.txt", "gammal rad\r\nannan rad\r\n"},
                                          {"temp_.tmp", "gammal\r\n"},
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
        else if (fault == Fault::ReadOnlyFolder)
            QVERIFY(::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr)
                    == 0);
        const auto before = snapshot(folder);
        if (fault > Fault::ReadOnlyFolder)
            faultshim::failNext(fault == Fault::ReadFails   ? faultshim::Call::Read
                                : fault == Fault::SyncFails ? faultshim::Call::Fsync
                                                            : faultshim::Call::Rename,
                                EIO, "Citat.dat");
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
            const QString number = fault == Fault::DiskFull         ? u"61"_s
                                   : fault == Fault::ReadOnlyFolder ? u"70"_s
                                                                    : u"57"_s;
            QVERIFY2(shown.contains(u"\r\n"_s + number + u" - "_s) || shown == u"Error "_s + number, qPrintable(shown));
        }
    }

    // A file changed by someone else after the program read it is not written over: a notice says what
    // changed and that nothing was written, the window reads the file again, and the change can be made anew.
    // The other writer is a second copy of the program in a process of its own, or (in this process) a
    // rewrite in place that only the nanoseconds of the time tell, or a deletion.
    void changedFileIsNotWrittenOver_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("what");
        QTest::newRow("delete proverb after another copy deleted one") << Command{[](frmmain &w, Platform &p) {
            w.txtnr->setText(u"5"_s);
            otherCopy(u"drop"_s, u"0"_s);
            p.setNextAnswer(Yes);
            w.mnuarkiv_raderaordspråk_Click();
            QCOMPARE(w.pp->toPlainText(), u"Ordspråk 5"_s); // read again, showing the proverb to delete
            p.setNextAnswer(Yes);
            w.mnuarkiv_raderaordspråk_Click();
            QCOMPARE(w.List1->items(),
                     (QStringList{u"Ordspråk 2"_s, u"Ordspråk 3"_s, u"Ordspråk 4"_s, u"Ordspråk 6"_s}));
        }} << u"den har ersatts av en annan fil (nu 60 byte)"_s;
        QTest::newRow("editor save after another copy added a line") << Command{[](frmmain &w, Platform &p) {
            frmredigera editor(w.link(), p);
            editor.takeCollectionsFromMain();
            otherCopy(u"add"_s, u"Från den andra"_s);
            editor.addLine(u"Eget"_s);
            // Ordspråk 3 goes too.
            QTest::mouseClick(editor.List1->viewport(), Qt::LeftButton, {},
                              editor.List1->visualRect(editor.lista()->index(3)).center());
            p.setNextAnswer(Yes);
            editor.cmdtabort_Click();
            editor.enterChangedState();
            editor.cmd1_Click();
            // Both changes stand: the other copy's line, and this editor's addition and removal made again.
            QStringList both = QStringList{u"Eget"_s, u"Från den andra"_s} + FolderFixture::numbered(6);
            both.removeAll(u"Ordspråk 3"_s);
            QCOMPARE(editor.lista()->lines().toStringList(), both);
            QVERIFY(editor.cmd1->isEnabled());
            editor.cmd1_Click();
            QFile saved(store::collectionFile(u"Citat"_s));
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(store::LineStore::fromFileBytes(saved.readAll()).toStringList(), both);
            // The stamp follows the file this editor wrote: its next save goes through.
            editor.addLine(u"Sist"_s);
            editor.enterChangedState();
            editor.cmd1_Click();
            QVERIFY(!editor.cmd1->isEnabled());
        }} << u"den har ersatts av en annan fil (nu 88 byte)"_s;
        QTest::newRow("text file, delete line after a rewrite in place") << Command{[](frmmain &w, Platform &p) {
            frmtextedit textFiles(p, &w);
            const QString path = store::pathInProgramFolder(u"lista.txt"_s);
            struct stat before
            { };
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.write("GAMMAL") == 6);
            file.close();
            touchOneNanosecondLater(path, before);
            textFiles.List1->setCurrentIndex(textFiles.List1->model()->index(1, 0));
            p.setNextAnswer(Yes);
            textFiles.cmdradera_Click();
            QCOMPARE(textFiles.lines().items(), (QStringList{u"GAMMAL rad"_s, u"annan rad"_s}));
        }} << u"den har skrivits om (ändringstiden är en annan)"_s;
        QTest::newRow("text file, save after a deletion") << Command{[](frmmain &w, Platform &p) {
            frmtextedit textFiles(p, &w);
            QVERIFY(QFile::remove(store::pathInProgramFolder(u"lista.txt"_s)));
            textFiles.optvisa[1]->setChecked(true);
            p.setNextAnswer(Yes);
            textFiles.cmdspara_Click();
            QVERIFY(!QFileInfo::exists(store::pathInProgramFolder(u"lista.txt"_s)));
        }} << u"filen finns inte längre"_s;
    }

    void changedFileIsNotWrittenOver()
    {
        QFETCH(Command, command);
        QFETCH(QString, what);
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, FolderFixture::numbered(6));
        folder.write(u"lista.txt"_s, "gammal rad\r\nannan rad\r\n"_ba);
        Platform platform;
        frmmain w(platform);
        w.show();
        command(w, platform);
        QString notice;
        for (const auto &box : platform.boxes())
            notice += box.text + u" | "_s;
        QVERIFY2(notice.contains(u"har ändrats av ett annat program sedan den lästes: "_s + what
                                 + u". Ingenting har skrivits."_s),
                 qPrintable(notice));
        // Nothing else but what the command did after reading the file again.
        QCOMPARE(QDir(folder.folder()).entryList(QDir::Files).filter(u".tmp"_s), QStringList());
    }
};

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
