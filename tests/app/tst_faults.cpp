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
enum class Command { DeleteProverb, NewCollection, EditorSave, DuplicateReport, SearchWithinResults, SaveResults,
                     QuickSave, TextFileDeleteLine, TextFileSave, NumberFile };

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

// Runs one command of the program against the fault; the program folder already holds the fault.
void run(Command command, frmmain &w, platform::ScriptedPlatform &platform)
{
    switch (command) {
    case Command::DeleteProverb:
        platform.setNextAnswer(platform::Answer::Yes);
        w.mnuarkiv_raderaordspråk_Click();
        break;
    case Command::NewCollection:
        platform.setNextInput(u"Ny"_s);
        w.cmdordspråk_ny_Click();
        break;
    case Command::EditorSave:
    case Command::DuplicateReport: {
        frmredigera editor(w, platform);
        editor.takeCollectionsFromMain();
        if (command == Command::EditorSave) {
            editor.addLine(u"Ett nytt ordspråk"_s);
            editor.enterChangedState();
            editor.cmd1_Click();
            QVERIFY2(editor.cmd1->isEnabled(), "a failed save leaves the editor in its changed state");
        } else {
            editor.cmddublett_Click();
        }
        break;
    }
    case Command::SearchWithinResults:
    case Command::SaveResults: {
        frmsök search(platform, w, &w);
        search.Text1->setText(u"a"_s);
        search.cmdsök_Click();
        if (command == Command::SearchWithinResults) {
            search.chksökresultat->setChecked(true);
            search.Text1->setText(u"b"_s);
            search.cmdsök_Click();
        } else {
            platform.setNextInput(u"lista"_s);
            platform.setNextAnswer(platform::Answer::Yes);
            search.cmdsparatextfil_Click();
        }
        break;
    }
    case Command::QuickSave:
        w.snabbsparaFönster().setLista(u"Spara mig"_s);
        platform.setNextInput(u"lista"_s);
        platform.setNextAnswer(platform::Answer::Yes);
        w.snabbsparaFönster().cmdspara_Click();
        break;
    case Command::TextFileDeleteLine:
    case Command::TextFileSave: {
        frmtextedit textFiles(platform, &w);
        textFiles.list_filer->setCurrentRow(0);
        textFiles.list_filer_Click();
        platform.setNextAnswer(platform::Answer::Yes);
        if (command == Command::TextFileDeleteLine) {
            textFiles.List1->setCurrentIndex(textFiles.List1->model()->index(0, 0));
            textFiles.cmdradera_Click();
        } else {
            textFiles.optvisa[1]->setChecked(true);
            textFiles.cmdspara_Click();
        }
        break;
    }
    case Command::NumberFile:
        w.txtnr->setText(u"2"_s);
        w.close();
        break;
    }
}

} // namespace

// Every command that writes a file, on a full disk and in a program folder that cannot be written: the
// program's error message, no file changed, and nothing reported as saved. Closing writes nr.ini silently
// and ignores its failure.
class tst_faults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { store::ignoreFileSizeSignal(); }

    void everyWriteFailsSafely_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Command>("command");
        const std::pair<const char *, Command> commands[] = {
            {"delete proverb", Command::DeleteProverb}, {"new collection", Command::NewCollection},
            {"editor save", Command::EditorSave}, {"duplicate report", Command::DuplicateReport},
            {"search within results", Command::SearchWithinResults}, {"save results", Command::SaveResults},
            {"quick-save list", Command::QuickSave}, {"text file, delete line", Command::TextFileDeleteLine},
            {"text file, save", Command::TextFileSave}, {"nr.ini", Command::NumberFile}};
        for (const auto &[name, command] : commands) {
            // An empty new collection needs no room, so it is made on a full disk too.
            if (command != Command::NewCollection)
                QTest::addRow("full disk, %s", name) << Fault::DiskFull << command;
            QTest::addRow("read-only folder, %s", name) << Fault::ReadOnlyFolder << command;
        }
    }

    void everyWriteFailsSafely()
    {
        QFETCH(Fault, fault);
        QFETCH(Command, command);
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
        platform::ScriptedPlatform platform;
        frmmain w(platform);
        w.show();
        QVERIFY(platform.takeBoxes().isEmpty());

        if (fault == Fault::DiskFull)
            QVERIFY(disk.fill(u"fyllnad"_s));
        else
            QVERIFY(::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
        const auto before = snapshot(folder);
        run(command, w, platform);
        QCOMPARE(snapshot(folder), before);

        QStringList texts;
        for (const auto &box : platform.boxes())
            texts << box.text;
        const QString shown = texts.join(u" | "_s);
        QVERIFY2(!shown.contains(u"sparad"_s), qPrintable(shown));
        if (command == Command::NumberFile) {
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
