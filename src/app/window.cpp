// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "main/frmmain.h"
#include "platform/qtplatform.h"
#include "store/collections.h"
#include "store/programfolder.h"
#include "widgets/keys.h"

#include <QApplication>

#include <new>

using namespace tankedosan;
using namespace tankedosan::main;
using namespace tankedosan::platform;
using namespace tankedosan::store;
using namespace tankedosan::widgets;

namespace {

// An allocation refused inside a handler (a huge file read, a paste of gigabytes) is told as the failure it
// is, and the program goes on, rather than ending on an exception that nothing catches.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv)
        : QApplication(argc, argv)
    { }
    void setPlatform(Platform *platform) { m_platform = platform; }
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc &) {
            if (m_platform)
                m_platform->showStandardError(failures::outOfMemory());
            return false;
        }
    }

private:
    Platform *m_platform = nullptr;
};

} // namespace

// The main window's side of the program, loaded by the executable only when the window is to open: the
// terminal's commands then never map or relocate the libraries of a display.
extern "C" Q_DECL_EXPORT int tankedosanWindow(int &argc, char **argv, const QString &folder,
                                              const store::ChosenEncoding &encoding, const store::WindowStart &start)
{
    QApplication::setDesktopFileName(QStringLiteral("org.example.tankedosan"));
    Application app(argc, argv);

    platform::installSwedishQtTexts();
    widgets::focusReturnsToOwner();

    platform::QtPlatform platform;
    app.setPlatform(&platform);
    if (auto failure = store::settleProgramFolder(folder))
        platform.showStandardError(*failure);
    store::setFolderEncoding(encoding);
    frmmain window(platform, start);
    window.show();
    return QApplication::exec();
}
