// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "main/frmmain.h"
#include "platform/qtplatform.h"
#include "store/programfolder.h"
#include "widgets/keys.h"

#include <QApplication>

using namespace tankedosan;
using namespace tankedosan::main;
using namespace tankedosan::platform;
using namespace tankedosan::store;
using namespace tankedosan::widgets;

// The main window's side of the program, loaded by the executable only when the window is to open: the
// terminal's commands then never map or relocate the libraries of a display.
extern "C" Q_DECL_EXPORT int tankedosanWindow(int &argc, char **argv, const QString &folder)
{
    QApplication::setDesktopFileName(QStringLiteral("org.example.tankedosan"));
    QApplication app(argc, argv);

    platform::installSwedishQtTexts();
    widgets::focusReturnsToOwner();

    platform::QtPlatform platform;
    if (auto failure = store::settleProgramFolder(folder))
        platform.showStandardError(*failure);
    frmmain window(platform);
    window.show();
    return QApplication::exec();
}
