#include "main/frmmain.h"
#include "platform/qtplatform.h"
#include "store/collections.h"
#include "store/programfolder.h"
#include "store/terminal.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    store::ignoreFileSizeSignal();
    QApplication::setApplicationName(QStringLiteral("Tankedosan"));
    QApplication::setApplicationVersion(QStringLiteral(TANKEDOSAN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tankedosan"));
    // Everything but the window itself (--help, --version, the terminal's commands, a command line that is
    // refused) answers in the terminal, without a display.
    const store::CommandLine commandLine = store::readCommandLine(store::argumentList(argc, argv));
    if (commandLine.action != store::CommandLine::Action::Run) {
        QCoreApplication app(argc, argv);
        return store::runInTerminal(commandLine);
    }
    QApplication app(argc, argv);

    // The program speaks Swedish whatever the desktop's language: Qt's own texts (context menus of text
    // boxes and the like) follow it when the translation is installed.
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    platform::QtPlatform platform;
    if (auto failure = store::settleProgramFolder(commandLine.folder))
        platform.showStandardError(*failure);
    frmmain window(platform);
    window.show();
    return QApplication::exec();
}
