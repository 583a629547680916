// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/modal.h"

#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "main/frmhjalp.h"
#include "main/frmom.h"
#include "widgets/twips.h"
#include "platform/qtplatform.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "textfiles/frmtextedit.h"

#include <QAccessible>
#include <QTimer>

#include <map>
#include <span>

using namespace tankedosan::editor;
using namespace tankedosan::import;
using namespace tankedosan::platform;
using namespace tankedosan::quicksave;
using namespace tankedosan::search;
using namespace tankedosan::textfiles;

namespace {

struct AllWindows
{
    Started s;
    std::unique_ptr<frmsök> search;
    std::unique_ptr<frmredigera> editor;
    std::unique_ptr<frmimport> import;
    std::unique_ptr<frmtextedit> textFiles;
    std::unique_ptr<frmOm> about;
    QPointer<frmhjälp> help; // deletes itself on closing

    // The windows laid out in `font`, as at the program's start.
    explicit AllWindows(const QFont &font = QApplication::font())
    {
        QApplication::setFont(font);
        twips::followFont(font);
        s.folder.writeCollection(u"Citat"_s,
                                 {u"Borta bra men hemma bäst"_s, u"Gud ser dig"_s, u"Morgonstund har guld i mund"_s});
        s.folder.write(u"help.txt"_s, "Hj\xE4lp\r\n"_ba);
        s.folder.write(u"lista.txt"_s, "rad\r\nrad 2\r\n"_ba);
        frmmain &w = s.start();
        search = std::make_unique<frmsök>(s.platform, w.link(), &w);
        editor = std::make_unique<frmredigera>(w.link(), s.platform);
        editor->takeCollectionsFromMain();
        import = std::make_unique<frmimport>(s.platform, *editor, &w); // nothing is handed over here
        import->setDirPath(s.folder.folder());
        textFiles = std::make_unique<frmtextedit>(s.platform, &w);
        about = std::make_unique<frmOm>(&w);
        help = new frmhjälp(&w);
    }
    ~AllWindows() { delete help.data(); }
    std::vector<QWidget *> windows()
    {
        return {s.window.get(),  search.get(), editor.get(), import.get(), &s.window->snabbsparaFönster(),
                textFiles.get(), about.get(),  help.data()};
    }
};

// The contrast of the text drawn in a widget (the colour farthest from the commonest one) with its background.
double measuredContrast(QWidget *widget)
{
    const auto luminance = [](QColor c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (const QRgb pixel : std::span(reinterpret_cast<const QRgb *>(image.constBits()), image.sizeInBytes() / 4))
        ++counts[pixel];
    const double background = luminance(
        std::max_element(counts.begin(), counts.end(), [](auto &a, auto &b) { return a.second < b.second; })->first);
    double best = 1;
    for (const auto &[rgb, n] : counts) {
        const double text = luminance(QColor(rgb));
        best = std::max(best, (std::max(text, background) + 0.05) / (std::min(text, background) + 0.05));
    }
    return best;
}

bool captionFits(QWidget *w)
{
    auto *button = qobject_cast<QAbstractButton *>(w);
    QStyleOptionButton option;
    option.initFrom(w);
    option.text = button || qobject_cast<QLabel *>(w) ? w->property("text").toString() : QString();
    const auto element = qobject_cast<QCheckBox *>(w)      ? QStyle::SE_CheckBoxContents
                         : qobject_cast<QRadioButton *>(w) ? QStyle::SE_RadioButtonContents
                                                           : QStyle::SE_PushButtonContents;
    const QRect room = button ? w->style()->subElementRect(element, &option, w) : w->contentsRect();
    const QString text = option.text.remove(u'&');
    return text.isEmpty()
           || (room.width() >= w->fontMetrics().horizontalAdvance(text) && room.height() >= w->fontMetrics().height());
}

// A control as everyControlByItsName writes it, with what `wanted` asks for.
QString described(QObject *object, const QString &wanted)
{
    auto *w = qobject_cast<QWidget *>(object);
    auto *action = qobject_cast<QAction *>(object);
    QString text = object->objectName();
    if (w && !qobject_cast<QMenu *>(w))
        text.prepend(w->isHidden()                      ? u"!"_s
                     : !w->isEnabled()                  ? u"-"_s
                     : w->font().bold()                 ? u"*"_s
                     : w->property("readOnly").toBool() ? u"#"_s
                                                        : u""_s);
    if (wanted.contains(u'=')) {
        const char *caption = qobject_cast<QMenu *>(w) || qobject_cast<QGroupBox *>(w) ? "title"
                              : qobject_cast<QPlainTextEdit *>(w)                      ? "plainText"
                              : qobject_cast<QComboBox *>(w)                           ? "currentText"
                                                                                       : "text";
        text += u'=' + object->property(caption).toString().remove(u'&');
    }
    if (auto *area = qobject_cast<QAbstractScrollArea *>(w); area && area->frameShape() == QFrame::NoFrame)
        text += u'~';
    if (w && !w->toolTip().isEmpty())
        text += u'?' + w->toolTip();
    if (action && !action->shortcut().isEmpty())
        text += u'^' + action->shortcut().toString();
    if (w && wanted.contains(u'@')) {
        const QStringList at = wanted.section(u'@', 1).split(u',');
        const QRect place = twips::rect(at[0].toInt(), at[1].toInt(), at[2].toInt(), at[3].toInt()), g = w->geometry();
        text += g == place ? wanted.mid(wanted.indexOf(u'@'))
                           : u"@%1,%2,%3,%4 px"_s.arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
    }
    return text;
}
} // namespace

class tst_accessible : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A style asked for but not installed leaves Qt on its own style without a word.
        const QString style = qEnvironmentVariable("QT_STYLE_OVERRIDE");
        QVERIFY2(style.isEmpty() || QApplication::style()->name().compare(style, Qt::CaseInsensitive) == 0,
                 qPrintable(style + u" is not installed"_s));
    }

    // Readable and usable at any scheme and size: contrast, captions, screen size, names, Alt letters, Tab, Escape.
    void captionsFitAndTextIsReadable_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<double>("points");
        const QColor light(0xee, 0xee, 0xee), dark(0x35, 0x35, 0x35), darker(0x1e, 0x1e, 0x1e), white(Qt::white);
        const QPalette darkScheme(light, dark, dark, dark, dark, light, light, darker, dark),
            highContrast(white, Qt::black, Qt::black, Qt::black, Qt::black, white, white, Qt::black, Qt::black);
        for (const double points : {8.0, 11.0, 14.0, 16.0}) {
            QTest::addRow("light, %g pt", points) << QApplication::style()->standardPalette() << points;
            QTest::addRow("dark, %g pt", points) << darkScheme << points;
            QTest::addRow("high contrast, %g pt", points) << highContrast << points;
        }
    }
    void captionsFitAndTextIsReadable()
    {
        QFETCH(QPalette, palette);
        QFETCH(double, points);
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        QApplication::setPalette(palette);
        AllWindows all(font);
        all.s.window->snabbsparaFönster().setLista(u"A"_s);
        for (QWidget *window : all.windows())
            window->show();
        child<QListView>(all.editor, "List1")->clearSelection();
        // Each as the user reads it, its window in front.
        for (QAbstractScrollArea *text : std::initializer_list<QAbstractScrollArea *>{
                 child<QPlainTextEdit>(all.s.window, "pp"), child<QListView>(all.editor, "List1"),
                 child<QListWidget>(all.textFiles, "list_filer"), child<QListWidget>(all.import, "File1")}) {
            QApplication::setActiveWindow(text->window());
            QVERIFY(QTest::qWaitForWindowActive(text->window()));
            const double measured = measuredContrast(text->viewport());
            QVERIFY2(measured >= 4.5, qPrintable(u"%1: %2 : 1"_s.arg(text->objectName()).arg(measured)));
        }
        // In the order of windows(): whether Escape leaves it open, and its tab order back to the first control.
        for (qsizetype i = 0;
             const QString &row :
             {u"frmmain stays"_s,
              u"frmsök stays Text1 cmdsök optsöksätt2 Text2 cmdavbryt cmdok chksökresultat cmdsparatextfil Text1"_s,
              u"frmredigera stays comboordspråk txtordspråk cmdläggtill txtsök combosök cmdavbryt cmdimport List1 "
              u"Text1 cmdtabort cmdsnabbspara cmdkopieraklippbok cmddublett txtdublett comboordspråk"_s,
              u"frmimport closes"_s, u"frmsnabbspara closes Text1 cmdspara cmdtöm cmdstäng Text1"_s,
              u"frmtextedit stays cmdstäng cmdraderafil cmdradera cmdkopiera optvisa list_filer List1 cmdstäng"_s,
              u"frmOm closes"_s, u"frmhjälp closes"_s}) {
            QWidget *window = all.windows()[i++];
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
            QVERIFY2(points != 11 || (window->width() <= 1366 && window->height() <= 768 - 64), qPrintable(row));
            QStringList used, faults;
            const QMenuBar *bar = window->findChild<QMenuBar *>();
            for (QAction *title : bar ? bar->actions() : QList<QAction *>{})
                used << QKeySequence::mnemonic(title->text()).toString();
            for (QWidget *c : window->findChildren<QWidget *>()) {
                auto *label = qobject_cast<QLabel *>(c);
                auto *area = qobject_cast<QAbstractScrollArea *>(c->parentWidget());
                const QString where = window->objectName() + u'.' + c->objectName();
                // Hidden buttons take turns with shown ones in the same place; other hidden controls never show.
                if (c->window() == window && (!c->isHidden() || qobject_cast<QPushButton *>(c)) && !captionFits(c))
                    faults << where + u" (fits)"_s;
                // A list's viewport takes focus on behalf of the list, which carries the name.
                const bool control = label ? !label->pixmap().isNull()
                                           : c->focusPolicy() != Qt::NoFocus && !qobject_cast<QMenu *>(c)
                                                 && !qobject_cast<QScrollBar *>(c->focusProxy())
                                                 && !(area && area->viewport() == c);
                QAccessibleInterface *face = QAccessible::queryAccessibleInterface(c);
                if (c->isVisible() && control && (!face || face->text(QAccessible::Name).trimmed().isEmpty()))
                    faults << where + u" (name)"_s;
                const QString caption = qobject_cast<QAbstractButton *>(c) ? c->property("text").toString()
                                        : label && label->buddy()          ? label->text()
                                                                           : QString();
                const QString letter = QKeySequence::mnemonic(caption).toString();
                if (!caption.isEmpty() && c->window() == window && (letter.isEmpty() || used.contains(letter)))
                    faults << where + u" (Alt)"_s;
                used << letter;
            }
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u", "_s)));
            const QStringList order = row.split(u' ').mid(2);
            QWidget *first = window->focusWidget() ? window->focusWidget() : window->nextInFocusChain();
            (order.isEmpty() ? first : window->findChild<QWidget *>(order.front()))->setFocus();
            QVERIFY(QApplication::focusWidget());
            QStringList walked{QApplication::focusWidget()->objectName()};
            for (qsizetype i = 1; i < order.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                walked << QApplication::focusWidget()->objectName();
            }
            QCOMPARE(walked.mid(0, order.size()), order);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY2(window->isVisible() == row.contains(u" stays"_s), qPrintable(row));
        }
        QCOMPARE(all.s.window->snabbsparaFönster().lista(), u"A"_s);
    }

    // Each control by name: caption, tip, state (! hidden, - disabled, * bold, # read-only, ~ frameless), twips place.
    void everyControlByItsName_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::newRow("as laid out") << 12;
        QTest::newRow("a twip a pixel") << 210; // fourteen pixels were fifteen twips: each twip tells
    }
    void everyControlByItsName()
    {
        QFETCH(int, pixels);
        QFont font = QApplication::font();
        font.setPixelSize(pixels);
        AllWindows all(font);
        // The windows grow in step with the font they were laid out in (12 px), to a pixel or two in a thousand.
        QVERIFY2(qAbs(twips::toPixels(15000) * 12.0 / pixels - 1000) < 1.5,
                 qPrintable(QString::number(twips::toPixels(15000))));
        const std::pair<QString, QString> windows[] = {
            {u"frmmain:Tankedosan"_s,
             u"cmdordspråk_radera=Ta bort|cmdordspråk_ny=Ny|comboordspråk|söklista|List1|fillista|cmdsök=Sök|"
             u"txtnr=1|cmdnästa=Nästa|cmdförra=Förra|cmdkopiera=Kopiera?Kopiera ordspråk till klippboken|"
             u"Frame1=Visa|optlista_sök=Söklistan|optlista_hela=Hela listan|Picture1|scroll?Textstorlek|#pp~|"
             u"Image1|*Label2=Så här är det ...|Label3=Välj ordspråkfil:|Label1=|mnuarkiv=Arkiv|"
             u"mnuakriv_öppnatext=Öppna text...|mnuarkiv_linje1|mnuarkiv_snabbspara=Snabbspara ordspråk^F2|"
             u"mnuarkiv_öppnasnabbspara=Öppna snabbspara-listan...|mnuarkiv_linje2|"
             u"mnuarkiv_raderaordspråk=Radera aktuellt ordspråk...|mnuarkiv_linje3|mnuarkiv_avsluta=Avsluta^Ctrl+Q|"
             u"mnuredigera=Redigera|mnuredigera_sök=Sök ordspråk...^F3|mnuredigera_linje1|"
             u"mnuredigera_redigera=Redigera ordspråk-listan...|mnuredigera_linje2|"
             u"mnuredigera_textstorlek=Textstorlek - 8^Ctrl+0|mnuredigera_textstorlek=Textstorlek - 10|"
             u"mnuredigera_textstorlek=Textstorlek - 12|mnuredigera_textstorlek=Textstorlek - 14|"
             u"mnuredigera_textstorlek=Textstorlek - 18|mnuhjälp=Hjälp|mnuhjälp_hjälp=Hjälp^F1|mnuhjälp_linje1|"
             u"mnuhjälp_om=Om ..."_s},
            {u"frmsök:Sökning@6510,4290"_s,
             u"Label2=Söktext@3000,120,855,255|Text1=@3000,360,3375,330|Frame1=Söksätt@120,120,2775,855|"
             u"optsöksätt1=Textens början@240,240,2175,255|optsöksätt2=Alla förekomster@240,480,2295,255|"
             u"chksökresultat=Sök i sökresultat@3000,720,2535,255|cmdsök=Sök@5640,720,735,335|"
             u"Label4=@120,1080,6255,45|Label1=Sökresultat:@120,1200,975,255|"
             u"lblresultat=0 träffar@1200,1200,1335,255|Text2=@120,1440,6255,2295|"
             u"!lblsöker=Söker...@1920,2280,2535,735|cmdsparatextfil=Spara resultat...@120,3840,1335,375|lista|"
             u"cmdok=OK@3600,3840,1335,375|cmdavbryt=Avbryt@5040,3840,1335,375"_s},
            {u"frmredigera:Redigera ordspråk@8175,7530"_s,
             u"Label3=Välj ordspråkfil:|comboordspråk|-cmd1=Spara|-cmd2=Ångra|Label1=Lägg till ordspråk:|"
             u"!chkändrad=ändrad|Label2=Listan sorteras automatiskt i bokstavsordning.|txtordspråk=|"
             u"cmdläggtill=Lägg till|Label4=@120,1380,7935,45|Frame1=Hitta i listan (Enter = hitta nästa)|"
             u"*cmdavbryt=Stäng|cmdimport=Importera från fil...|List1@120,2385,7935,3660|#Text1=@120,6105,7935,555|"
             u"lblantal=3 st ordspråk.@120,6705,7215,255|!progress=@120,6705,7215,255|cmdtabort=Radera markerad|"
             u"cmdsnabbspara=Snabbspara markerad|cmdkopieraklippbok=Kopiera markerad|cmddublett=Sök dubletter|"
             u"txtdublett=0?Antal inledande tecken...|!cmdavbryt2=Avbryt|txtsök=|combosök=Alla förekomster"_s},
            {u"frmimport:Importera från textfil@9600,8400"_s,
             u"Label3=Här kan du importera ordspråk ur textfiler på din hårddisk.|Drive1|Label2=Filtyper|"
             u"txtpattern=*.txt|cmdpattern=ok|Dir1|File1|Label1=|cmdläggtill=Lägg till markerad|"
             u"cmdtabort=Ta bort markerad|cmdläggtillalla=Lägg till alla|*cmdstäng=Stäng|List1|lblantal=|"
             u"lblkodning=Teckenkodning:|-combokodning=Windows-1252 (västeuropeisk)?Gäller filer som inte är UTF-8 "
             u"eller UTF-16"_s},
            {u"frmsnabbspara:Snabbspara@6735,3375"_s, // its heading is wider than the classic 1455 twips, which cut it
             u"Label1=Sparade ordspråk:@120,120,2400,255|Text1=@120,360,5295,2895|cmdstäng=Stäng@5520,360,1095,375|"
             u"cmdtöm=Töm lista...@5520,840,1095,375|cmdspara=Spara...@5520,1320,1095,375"_s},
            {u"frmtextedit:Texteditor@8160,5520"_s,
             u"cmdstäng=Stäng|cmdraderafil=Radera fil|!cmdspara=Spara|cmdradera=Radera rad|"
             u"cmdkopiera=Kopiera markerad|Label1=Visa:|optvisa=Lista|optvisa=Text|list_filer|List1|!Text1=Hjälp\n|"
             u"File1"_s},
            {u"frmOm:Om ...@4545,2850"_s, u"Image1|Label1=Tankedosan|#Text1|cmdok=OK"_s},
            {u"frmhjälp:Hjälp"_s, u"Command1=Stäng@120,60,735,375|#Text1=Hjälp\n"_s}};
        QStringList faults;
        for (qsizetype i = 0; const auto &[head, controls] : windows) { // in the order of windows()
            QWidget *window = all.windows()[i++];
            // A fixed window's size in twips follows its caption.
            const QStringList size = head.section(u'@', 1).split(u',');
            if (!(window->objectName() + u':' + window->windowTitle()).startsWith(head.section(u'@', 0, 0))
                || (size.size() == 2 && window->size() != twips::size(size[0].toInt(), size[1].toInt())))
                faults << head;
            window->show();
            QHash<QString, int> members;
            for (const QString &entry : controls.split(u'|')) {
                const QString name =
                    entry.section(QRegularExpression(u"[~=@?^]"_s), 0, 0).remove(QRegularExpression(u"^[!*#-]"_s));
                // A control array's members share a name; a window it owns may use the same names.
                QObject *object = child<QObject>(*window, name.toUtf8().constData(), members[name]++);
                if (const QString got = described(object, entry); got != entry)
                    faults << u"%1: %2, not %3"_s.arg(window->objectName(), got, entry);
            }
        }
        // Painted parts keep their colours under any style: the panel's shadow at its lower right, the editor's strips.
        for (const auto &[painted, colour] :
             {std::pair<QWidget *, QColor>{child<QLabel>(all.s.window, "Label1"), QColor(64, 64, 64)},
              {child<QLabel>(all.editor, "Label4"), QColor(0, 0, 128)},
              {child<QWidget>(all.editor, "progress"), QColor(0, 0, 128)}}) {
            painted->show(); // the progress strip shows during a check, over the count
            // As the window draws it: a widget's own grab fills its background whether it paints it or not.
            const QImage image = painted->window()->grab().toImage();
            const QColor seen =
                image.pixelColor(painted->mapTo(painted->window(), painted->rect().bottomRight() - QPoint(1, 1)));
            if (seen != colour)
                faults << painted->objectName() + u' ' + seen.name();
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    void lettersAndKeys()
    {
        AllWindows all;
        frmmain &w = *all.s.window;
        w.snabbsparaFönster().show();
        const auto press = [](QWidget *control, const QKeySequence &keys) {
            QApplication::setActiveWindow(control->window());
            QVERIFY(QTest::qWaitForWindowActive(control->window()));
            control->setFocus();
            QTest::keySequence(QApplication::focusWidget(), keys);
        };
        press(child<QLineEdit>(w, "txtnr"), QKeySequence::mnemonic(child<QPushButton>(w, "cmdnästa")->text()));
        QTRY_COMPARE(child<QLineEdit>(w, "txtnr")->text(), u"2"_s); // the button shows itself pressed a moment first
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::mnemonic(child<QLabel>(w, "Label3")->text()));
        QCOMPARE(QApplication::focusWidget(), child<QComboBox>(w, "comboordspråk"));
        press(child<QPushButton>(w, "cmdnästa"), Qt::Key_Return);
        QCOMPARE(child<QLineEdit>(w, "txtnr")->text(), u"3"_s);
        const auto boxes = all.s.platform.boxes().size();
        press(child<QPushButton>(w.snabbsparaFönster(), "cmdtöm"), Qt::Key_Enter);
        QCOMPARE(all.s.platform.boxes().size(), boxes + 1);
    }

    void qtTextsAreSwedish()
    {
        // The program's own boxes name their buttons in Swedish even before Qt's texts are installed.
        platform::QtPlatform desktop;
        // The pointer follows each change, also from one busy pointer to the other.
        desktop.setPointer(platform::Pointer::Busy);
        desktop.setPointer(platform::Pointer::ArrowBusy);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        desktop.setPointer(platform::Pointer::Default);
        QVERIFY(!QGuiApplication::overrideCursor());
        QStringList buttons;
        QTimer closer; // reads each box's buttons, then closes it
        closer.callOnTimeout([&] {
            if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                QStringList texts;
                for (const QAbstractButton *button : box->findChildren<QAbstractButton *>())
                    texts << button->text().remove(u'&');
                texts.sort();
                buttons << texts.join(u'/');
                box->reject();
            }
        });
        closer.start(0);
        (void)desktop.inputBox(u"Namn"_s, u"Ny"_s);
        for (auto kind : {Buttons::Ok, Buttons::OkCancel, Buttons::YesNo, Buttons::YesNoCancel})
            (void)desktop.messageBox(u"Fråga"_s, kind, Icon::Question);
        closer.stop();
        QCOMPARE(buttons.join(u' '), u"Avbryt/OK OK Avbryt/OK Ja/Nej Avbryt/Ja/Nej"_s);
        platform::installSwedishQtTexts();
        QLineEdit box(u"text"_s);
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList captions;
        for (QAction *action : menu->actions())
            captions << action->text().remove(u'&').section(u'\t', 0, 0);
        QVERIFY2(captions.contains(u"Ångra"_s) && captions.contains(u"Klistra in"_s),
                 qPrintable(captions.join(u", "_s)));
    }
};

QTEST_MAIN(tst_accessible)
#include "tst_accessible.moc"
