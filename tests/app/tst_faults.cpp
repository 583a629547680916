#include "support/faultshim.h"
#include "support/modal.h"
#include "support/systemfixtures.h"

#include "editor/frmredigera.h"
#include "store/programfolder.h"
#include "textfiles/frmtextedit.h"

#include <QDirIterator>

using namespace Qt::StringLiterals;

namespace {
// The shim fails the collection's read or sync; another copy of the program (a process) adds a line to it.
enum class Fault { DiskFull, ReadFails, SyncFails, ChangedElsewhere };
enum class Command { EditorSave, Duplicates, SaveText, NumberFile };

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
            {Command::NumberFile, Fault::DiskFull, QString()}};
        for (const auto &[command, fault, expected] : rows) {
            SmallFileSystem disk(1 << 20);
            if (!disk.mounted())
                QSKIP(qPrintable(disk.whyNot()));
            for (const QByteArray &file :
                 "Citat.dat:a och b\r\nab igen\r\nab igen\r\n|nr.ini:1\r\n|lista.txt:gammal\r\nrad\r\n|"
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
                if (fault == Fault::SyncFails)
                    faultshim::failNext(faultshim::Call::Fsync, EIO, "Citat.dat");
                if (fault == Fault::ChangedElsewhere)
                    QProcess::execute(QStringLiteral(OTHER_COPY),
                                      {store::pathInProgramFolder(u"Citat.dat"_s), u"add"_s, u"Ny"_s});
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
