// SPDX-License-Identifier: LicenseRef-Tankedosan
// Writes a PNG of every window of the program, opened on a copy of the sample collections, so that a person
// can look at them all after a change: tankedosan_shots DATA_FOLDER OUT_FOLDER [POINTS [light|dark|contrast]]
// POINTS is the desktop font's size, the last word its colour scheme. Run it under Xvfb (scripts/shots.sh) to
// see the real platform's fonts and style.
#include "support/child.h"
#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "main/frmhjalp.h"
#include "main/frmmain.h"
#include "main/frmom.h"
#include "widgets/twips.h"
#include "support/scriptedplatform.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "platform/qtplatform.h"
#include "search/sparatextfil.h"
#include "store/programfolder.h"
#include "textfiles/frmtextedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QPainter>
#include <QTimer>

#include <functional>

#include <cstdio>
#include <utility>

using namespace tankedosan;
using namespace tankedosan::editor;
using namespace tankedosan::import;
using namespace tankedosan::main;
using namespace tankedosan::platform;
using namespace tankedosan::quicksave;
using namespace tankedosan::search;
using namespace tankedosan::store;
using namespace tankedosan::textfiles;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;

namespace {

QStringList saved; // every picture written, for the overview at the end

// All pictures on one sheet, each at half its size, so that a run can be looked over at a glance.
bool saveOverview(const QString &folder)
{
    constexpr int columns = 4;
    QList<QImage> images;
    int cell = 0, rowHeight = 0;
    for (const QString &path : std::as_const(saved)) {
        const QImage image(path);
        images << image.scaled(image.size() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        cell = std::max(cell, images.back().width());
        rowHeight = std::max(rowHeight, images.back().height());
    }
    QImage sheet(cell * columns, rowHeight * ((images.size() + columns - 1) / columns), QImage::Format_RGB32);
    sheet.fill(Qt::magenta); // nothing of the program's own is this colour
    QPainter painter(&sheet);
    for (qsizetype i = 0; i < images.size(); ++i)
        painter.drawImage(int(i % columns) * cell, int(i / columns) * rowHeight, images[i]);
    painter.end();
    return sheet.save(folder + u"/oversikt.png"_s, "PNG");
}

bool save(QWidget &window, const QString &folder, const QString &name)
{
    window.show();
    // As the user sees the window in front: some styles draw a window behind others in paler colours.
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        std::fprintf(stderr, "tankedosan_shots: %s did not come to the front\n", qPrintable(name));
    QTest::qWait(200);
    const QString path = folder + u'/' + name + u".png"_s;
    const bool ok = window.grab().save(path, "PNG");
    saved << path;
    std::printf("%s\n", qPrintable(path));
    return ok;
}

// The real box that showBox opens, taken as soon as it is up and then closed as Escape closes it.
bool saveBox(const QString &folder, const QString &name, const std::function<void()> &showBox)
{
    bool ok = false;
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&, poll] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->stop();
        box->activateWindow();
        if (!QTest::qWaitForWindowActive(box)) // still taken: a box shown without the focus's colours
            qWarning("%s: the box did not get the focus", qPrintable(name));
        QTest::qWait(200);
        const QString path = folder + u'/' + name + u".png"_s;
        ok = box->grab().save(path, "PNG");
        saved << path;
        std::printf("%s\n", qPrintable(path));
        box->reject();
    });
    poll->start(50);
    showBox();
    delete poll;
    return ok;
}

QPalette scheme(const QString &name)
{
    if (name != u"dark" && name != u"contrast")
        return QApplication::style()->standardPalette();
    // The schemes the window tests walk: text on a background, disabled text greyed.
    const bool dark = name == u"dark";
    const QColor text = dark ? QColor(0xee, 0xee, 0xee) : QColor(Qt::white);
    const QColor background = dark ? QColor(0x35, 0x35, 0x35) : QColor(Qt::black);
    QPalette p(background, background);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        p.setColor(role, text);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, Qt::gray);
    p.setColor(QPalette::Base, dark ? QColor(0x1e, 0x1e, 0x1e) : QColor(Qt::black));
    p.setColor(QPalette::Highlight, dark ? QColor(0x2a, 0x82, 0xda) : QColor(Qt::cyan));
    p.setColor(QPalette::HighlightedText, dark ? Qt::white : Qt::black);
    return p;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    platform::installSwedishQtTexts();
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: tankedosan_shots DATA_FOLDER OUT_FOLDER [POINTS [light|dark|contrast|style]]\n");
        return 2;
    }
    if (argc > 3) {
        QFont font = QApplication::font();
        font.setPointSizeF(QString::fromLocal8Bit(argv[3]).toDouble());
        QApplication::setFont(font);
        widgets::twips::followFont(font);
    }
    // "style": the colours the style itself brings, as Adwaita-Dark brings its dark ones.
    if (argc > 4 && qstrcmp(argv[4], "style") != 0)
        QApplication::setPalette(scheme(QString::fromLocal8Bit(argv[4])));
    const QString data = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QTemporaryDir folder;
    for (const QString &name : QDir(data).entryList(QDir::Files))
        QFile::copy(data + u'/' + name, folder.filePath(name));
    store::setProgramFolder(folder.path());
    platform::ScriptedPlatform platform;

    bool ok = true;
    frmmain main(platform);
    ok &= save(main, out, u"frmmain"_s);

    frmsök search(platform, main.link(), &main);
    child<QLineEdit>(search, "Text1")->setText(u"gud"_s);
    child<QPushButton>(search, "cmdsök")->click();
    ok &= save(search, out, u"frmsök"_s);
    search.close();
    {
        frmredigera editor(main.link(), platform);
        editor.takeCollectionsFromMain();
        ok &= save(editor, out, u"frmredigera"_s);
        // And while the duplicate check runs: the strip over the count label, "Avbryt" for "Sök dubletter".
        bool once = false;
        platform.setOnProcessEvents([&] {
            if (!std::exchange(once, true)) {
                child<QWidget>(editor, "progress")
                    ->resize(child<QWidget>(editor, "progress")->width() / 3 + 40,
                             child<QWidget>(editor, "progress")->height());
                ok &= save(editor, out, u"frmredigera-dubletter"_s);
            }
        });
        child<QPushButton>(editor, "cmddublett")->click();
        platform.setOnProcessEvents({});
    }

    struct : EditorLink
    {
        void takeLine(const QString &) override { }
        void takeLines(const store::LineStore &) override { }
    } takesNothing;
    QDir::setCurrent(data);
    frmimport import(platform, takesNothing, &main);
    child<QListWidget>(import, "File1")->setCurrentRow(0);
    ok &= save(import, out, u"frmimport"_s);
    import.hide();

    frmOm about(&main);
    ok &= save(about, out, u"frmOm"_s);
    about.hide();
    auto *help = new frmhjälp(&main);
    ok &= save(*help, out, u"frmhjalp"_s);
    help->close();

    frmsnabbspara &quick = main.snabbsparaFönster();
    child<QAction>(main, "mnuarkiv_snabbspara")->trigger();
    child<QPushButton>(main, "cmdnästa")->click();
    child<QAction>(main, "mnuarkiv_snabbspara")->trigger();
    ok &= save(quick, out, u"frmsnabbspara"_s);
    quick.hide();

    frmtextedit textFiles(platform, &main);
    ok &= save(textFiles, out, u"frmtextedit-lista"_s);
    child<QRadioButton>(textFiles, "optvisa", 1)->setChecked(true);
    ok &= save(textFiles, out, u"frmtextedit-text"_s);

    // Each kind of box the windows show, each with the longest text of its kind, over the main window.
    platform::QtPlatform desktop;
    QApplication::setActiveWindow(&main);
    const QString path = folder.filePath(u"En samling med ett långt namn.dat"_s);
    ok &= saveBox(out, u"fraga"_s, [&] {
        desktop.messageBox(u"Vill du ta bort detta ordspråk?"_s, platform::Buttons::YesNo, platform::Icon::Question,
                           u"Ta bort"_s);
    });
    ok &= saveBox(out, u"upplysning"_s, [&] {
        desktop.messageBox(u"Inga dubletter funna bland citaten!"_s, platform::Buttons::Ok, platform::Icon::Information,
                           u"Dublettkontroll"_s);
    });
    ok &= saveBox(out, u"fel"_s, [&] {
        desktop.showStandardError(store::failures::changedSinceRead(path, u"den har nu 12 rader fler"_s));
    });
    ok &= saveBox(out, u"fel-skrivskyddad-mapp"_s, [&] {
        desktop.messageBox(u"Mappen ''"_s + folder.path()
                               + u"'' går inte att skriva i. Samlingarna där kan bara läsas, och numret på "
                                 u"ordspråket som visas sparas inte till nästa gång."_s,
                           platform::Buttons::Ok, platform::Icon::Exclamation);
    });
    ok &= saveBox(out, u"inmatning-ny-samling"_s,
                  [&] { desktop.inputBox(u"Skriv in ett namn för den nya ordspråkfilen"_s, u"Ny ordspråkfil"_s); });
    ok &= saveBox(out, u"inmatning-spara-sokresultat"_s,
                  [&] { desktop.inputBox(sparaTextfilPrompt(), u"Spara sökresultat"_s); });
    return ok && saveOverview(out) ? 0 : 1;
}
