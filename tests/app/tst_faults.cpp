#include "support/faultshim.h"
#include "support/modal.h"
#include "support/systemfixtures.h"

#include "editor/frmredigera.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "store/programfolder.h"
#include "textfiles/frmtextedit.h"

#include <QDirIterator>

#include <fcntl.h>

using namespace Qt::StringLiterals;

namespace {
// The shim fails the collection's read, sync or rename; another copy of the program (a process) adds a line to
// it (or deletes the second); a text file is rewritten in place, told only by a time a nanosecond off.
enum class Fault { DiskFull, ReadFails, SyncFails, ChangedElsewhere, ReadOnlyFolder, RenameFails, Rewritten, Deleted };
enum class Command { EditorSave, Duplicates, SaveText, NumberFile, Delete, New, Within, Hits, Quick, DeleteLine };
constexpr auto Yes = platform::Answer::Yes;

// Every file of the folder with its bytes: what a failed command must leave exactly as it was.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden); it.hasNext();) {
        QFile file(it.next());
        files.insert(it.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_ba);
    }
    return files;
}

// A command that writes, after a save that goes through: its stamp must follow the file it wrote.
void run(Command command, frmmain &w, platform::ScriptedPlatform &p, const std::function<void()> &meanwhile)
{
    if (command == Command::NumberFile) {
        meanwhile();
        w.txtnr->setText(u"2"_s);
        return void(w.close());
    }
    if (command >= Command::Delete) { // straight after the start, each window with what it read
        frmtextedit textFiles(p, &w);
        frmsök search(p, w.link(), &w);
        textFiles.list_filer->setCurrentRow(0);
        textFiles.list_filer_Click();
        textFiles.List1->setCurrentIndex(textFiles.List1->model()->index(1, 0));
        search.Text1->setText(u"a"_s);
        search.cmdsök_Click();
        search.chksökresultat->setChecked(true);
        search.Text1->setText(u"b"_s);
        w.txtnr->setText(u"4"_s);
        w.snabbsparaFönster().setLista(u"Spara mig"_s);
        meanwhile();
        p.setNextInput(command == Command::New ? u"Ny"_s : u"lista"_s);
        p.setNextAnswer(Yes);
        switch (command) {
        case Command::Delete: QCOMPARE((w.mnuarkiv_raderaordspråk->trigger(), w.pp->toPlainText()), u"c"_s); break;
        case Command::New: w.cmdordspråk_ny_Click(); break;
        case Command::Within: search.cmdsök_Click(); break;
        case Command::Hits: search.cmdsparatextfil_Click(); break;
        case Command::Quick: w.snabbsparaFönster().cmdspara_Click(); break;
        default: textFiles.cmdradera_Click();
        }
        return;
    }
    frmredigera editor(w.link(), p);
    frmtextedit textFiles(p, &w);
    editor.takeCollectionsFromMain();
    editor.addLine(u"Först"_s);
    editor.enterChangedState();
    editor.cmd1_Click();
    meanwhile();
    if (command == Command::Duplicates)
        return editor.cmddublett_Click();
    if (command == Command::EditorSave) {
        editor.addLine(u"Sedan"_s);
        editor.enterChangedState();
        editor.cmd1_Click();
        QVERIFY2(editor.cmd1->isEnabled(), "a failed save leaves the editor in its changed state");
        return;
    }
    textFiles.list_filer->setCurrentRow(0);
    textFiles.list_filer_Click();
    textFiles.optvisa[1]->setChecked(true);
    p.setNextAnswer(platform::Answer::Yes);
    textFiles.cmdspara_Click();
}
} // namespace

class tst_faults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { faultshim::reset(); }

    // The program's message or notice, and no file changed; closing writes nr.ini without a word.
    void everyWriteFailsSafely()
    {
        const std::tuple<Command, Fault, QString> rows[] = {
            {Command::EditorSave, Fault::DiskFull, u"\r\n61 - "_s},
            {Command::EditorSave, Fault::ReadFails, u"\r\n57 - "_s},
            {Command::EditorSave, Fault::SyncFails, u"\r\n57 - "_s},
            {Command::EditorSave, Fault::ChangedElsewhere, u"har ändrats av ett annat program sedan den lästes"_s},
            {Command::Duplicates, Fault::DiskFull, u"\r\n61 - "_s},
            {Command::SaveText, Fault::DiskFull, u"\r\n61 - "_s},
            {Command::NumberFile, Fault::DiskFull, QString()},
            {Command::Delete, Fault::DiskFull, u"\r\n61 - "_s},
            {Command::Delete, Fault::RenameFails, u"\r\n57 - "_s},
            // The same proverb is shown again, at its new number, for a deletion made anew.
            {Command::Delete, Fault::ChangedElsewhere, u"ersatts av en annan fil (nu 21 byte)"_s},
            {Command::EditorSave, Fault::Deleted, u"sedan den lästes: filen finns inte längre. Ingenting"_s},
            {Command::DeleteLine, Fault::Rewritten, u"den har skrivits om (ändringstiden är en annan)"_s},
            {Command::New, Fault::ReadOnlyFolder, u"\r\n70 - "_s}, // an empty file needs no room
            {Command::Within, Fault::DiskFull, u"Error 61"_s},
            {Command::Hits, Fault::DiskFull, u"\r\n61 - "_s},
            {Command::Quick, Fault::DiskFull, u"\r\n61 - "_s}};
        for (const auto &[command, fault, expected] : rows) {
            SmallFileSystem disk(1 << 20);
            if (!disk.mounted())
                QSKIP(qPrintable(disk.whyNot()));
            for (const QByteArray &file :
                 "Citat.dat:a och b\r\nab igen\r\nab igen\r\nc\r\n|nr.ini:1\r\n|lista.txt:gammal\r\nrad\r\n|"
                 "dublett-check.txt:gammal rapport\r\nrad tv\xE5\r\n"_ba.split('|')) {
                QFile out(disk.path() + u'/' + QString::fromLatin1(file.split(':').first()));
                QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file.sliced(file.indexOf(':') + 1)) > 0);
            }
            store::setProgramFolder(disk.path());
            platform::ScriptedPlatform platform;
            frmmain w(platform);
            w.show();
            QMap<QString, QByteArray> before;
            if (fault == Fault::ReadFails)
                faultshim::failNext(faultshim::Call::Read, EIO, "Citat.dat");
            run(command, w, platform, [&] {
                if (fault == Fault::DiskFull)
                    QVERIFY(disk.fill(u"fyllnad"_s));
                if (fault == Fault::ReadOnlyFolder)
                    QVERIFY(!::mount(nullptr, QFile::encodeName(disk.path()).constData(), nullptr,
                                     MS_REMOUNT | MS_RDONLY, nullptr));
                if (fault == Fault::SyncFails || fault == Fault::RenameFails)
                    faultshim::failNext(fault == Fault::SyncFails ? faultshim::Call::Fsync : faultshim::Call::Rename,
                                        EIO, "Citat.dat");
                const bool drop = command == Command::Delete;
                if (fault == Fault::ChangedElsewhere)
                    QProcess::execute(QStringLiteral(OTHER_COPY),
                                      {store::pathInProgramFolder(u"Citat.dat"_s), drop ? u"drop"_s : u"add"_s,
                                       drop ? u"1"_s : u"Ny"_s});
                if (fault == Fault::Deleted)
                    QVERIFY(QFile::remove(store::pathInProgramFolder(u"Citat.dat"_s)));
                const QByteArray text = QFile::encodeName(store::pathInProgramFolder(u"dublett-check.txt"_s));
                struct stat info
                { };
                QFile file(QFile::decodeName(text));
                if (fault == Fault::Rewritten) {
                    QVERIFY(!::stat(text.constData(), &info) && file.open(QIODevice::ReadWrite)
                            && file.write("GAMMAL") == 6);
                    file.close();
                    const timespec times[2] = {info.st_atim, {info.st_mtim.tv_sec, info.st_mtim.tv_nsec ^ 1}};
                    QVERIFY(!::utimensat(AT_FDCWD, text.constData(), times, 0));
                }
                before = snapshot(disk.path());
            });
            faultshim::reset();
            QCOMPARE(snapshot(disk.path()), before);
            QString shown;
            for (const auto &box : platform.boxes())
                shown += box.text + u" | "_s;
            QVERIFY2(expected.isEmpty() ? shown.isEmpty() : shown.contains(expected),
                     qPrintable(u"%1 %2: %3"_s.arg(int(command)).arg(int(fault)).arg(shown)));
        }
    }
};

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
