#include "main/frmmain.h"
#include "platform/qtplatform.h"
#include "store/collections.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    store::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tankedosan"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));

    // The program speaks Swedish whatever the desktop's language: Qt's own texts (context menus of text
    // boxes and the like) follow it when the translation is installed.
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    platform::QtPlatform platform;
    frmmain window(platform);
    window.show();
    return QApplication::exec();
}
