#include "main/frmmain.h"
#include "platform/qtplatform.h"
#include "store/collections.h"
#include "store/programfolder.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    store::ignoreFileSizeSignal();
    QApplication::setApplicationName(QStringLiteral("Tankedosan"));
    QApplication::setApplicationVersion(QStringLiteral(TANKEDOSAN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.example.tankedosan"));
    // --help, --version and a wrong --mapp are answered before a display is needed.
    if (auto code = store::endsWith(store::readCommandLine(store::argumentList(argc, argv)), false))
        return *code;
    QApplication app(argc, argv);
    const store::CommandLine commandLine = store::readCommandLine(QApplication::arguments());
    if (auto code = store::endsWith(commandLine, true))
        return *code;

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
