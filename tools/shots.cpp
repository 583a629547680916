// SPDX-License-Identifier: LicenseRef-Tankedosan
// Writes a PNG of every window of the program, opened on a copy of the sample collections, so that a person
// can look at them all after a change: tankedosan_shots DATA_FOLDER OUT_FOLDER [POINTS [light|dark|contrast]]
// POINTS is the desktop font's size, the last word its colour scheme. Run it under Xvfb (scripts/shots.sh) to
// see the real platform's fonts and style.
#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "main/frmhjalp.h"
#include "main/frmmain.h"
#include "main/frmom.h"
#include "widgets/twips.h"
#include "support/scriptedplatform.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
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

#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool save(QWidget &window, const QString &folder, const QString &name)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "tankedosan_shots: %s was not exposed\n", qPrintable(name));
    QTest::qWait(200);
    const QString path = folder + u'/' + name + u".png"_s;
    const bool ok = window.grab().save(path, "PNG");
    std::printf("%s\n", qPrintable(path));
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
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: tankedosan_shots DATA_FOLDER OUT_FOLDER [POINTS [light|dark|contrast]]\n");
        return 2;
    }
    if (argc > 3) {
        QFont font = QApplication::font();
        font.setPointSizeF(QString::fromLocal8Bit(argv[3]).toDouble());
        QApplication::setFont(font);
        twips::followFont(font);
    }
    if (argc > 4)
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
    search.Text1->setText(u"gud"_s);
    search.cmdsök_Click();
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
                editor.progress->resize(editor.progress->width() / 3 + 40, editor.progress->height());
                ok &= save(editor, out, u"frmredigera-dubletter"_s);
            }
        });
        editor.cmddublett->click();
        platform.setOnProcessEvents({});
    }

    struct : EditorLink
    {
        void takeLine(const QString &) override { }
        void takeLines(const store::LineStore &) override { }
    } takesNothing;
    QDir::setCurrent(data);
    frmimport import(platform, takesNothing, &main);
    import.File1->setCurrentRow(0);
    ok &= save(import, out, u"frmimport"_s);
    import.hide();

    frmOm about(&main);
    ok &= save(about, out, u"frmOm"_s);
    about.hide();
    auto *help = new frmhjälp(&main);
    ok &= save(*help, out, u"frmhjalp"_s);
    help->close();

    frmsnabbspara &quick = main.snabbsparaFönster();
    main.mnuarkiv_snabbspara->trigger();
    main.cmdnästa->click();
    main.mnuarkiv_snabbspara->trigger();
    ok &= save(quick, out, u"frmsnabbspara"_s);
    quick.hide();

    frmtextedit textFiles(platform, &main);
    ok &= save(textFiles, out, u"frmtextedit-lista"_s);
    textFiles.optvisa[1]->setChecked(true);
    ok &= save(textFiles, out, u"frmtextedit-text"_s);
    return ok ? 0 : 1;
}
