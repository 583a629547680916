#include "main/frmmain.h"
#include "platform/qtplatform.h"
#include "store/files.h"
#include "store/commandline.h"
#include "store/programfolder.h"
#include "store/terminal.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    store::ignoreFileSizeSignal();
    QApplication::setApplicationName(QStringLiteral("Tankedosan"));
    QApplication::setApplicationVersion(QStringLiteral(TANKEDOSAN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.example.tankedosan"));
    // Everything but the window itself (--help, --version, the terminal's commands, a command line that is
    // refused) answers in the terminal, without a display.
    const store::CommandLine commandLine = store::readCommandLine(store::argumentList(argc, argv));
    if (commandLine.action != store::CommandLine::Action::Run) {
        QCoreApplication app(argc, argv);
        return store::runInTerminal(commandLine);
    }
    QApplication app(argc, argv);

    platform::installSwedishQtTexts();

    platform::QtPlatform platform;
    if (auto failure = store::settleProgramFolder(commandLine.folder))
        platform.showStandardError(*failure);
    frmmain window(platform);
    window.show();
    return QApplication::exec();
}
