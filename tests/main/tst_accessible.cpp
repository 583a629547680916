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

#include <map>

using namespace Qt::StringLiterals;

namespace {

// The controls a user reaches or reads: everything that takes focus, and every picture.
bool isControl(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return !label->pixmap().isNull();
    return w->focusPolicy() != Qt::NoFocus && !qobject_cast<const QScrollBar *>(w->focusProxy());
}

// Every visible control of the window that a screen reader would announce without a name.
QStringList unnamed(QWidget &window)
{
    window.show();
    QStringList missing;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisible() || !isControl(w) || qobject_cast<QMenu *>(w) || w->parentWidget() == nullptr)
            continue;
        // The viewport of a list takes focus on behalf of the list, which carries the name.
        if (qobject_cast<QAbstractScrollArea *>(w->parentWidget())
            && w == static_cast<QAbstractScrollArea *>(w->parentWidget())->viewport())
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            missing << window.objectName() + u'.' + w->objectName() + u" ("_s
                           + QString::fromLatin1(w->metaObject()->className()) + u')';
    }
    return missing;
}

// Every window of the program at once, over a folder with a collection, the help text and a text file.
struct AllWindows
{
    Started s;
    std::unique_ptr<frmsök> search;
    std::unique_ptr<frmredigera> editor;
    QLabel count;
    QCheckBox changed;
    QPushButton save, undo;
    QComboBox choice;
    std::unique_ptr<frmimport> import;
    std::unique_ptr<frmtextedit> textFiles;
    std::unique_ptr<frmOm> about;
    QPointer<frmhjälp> help; // deletes itself on closing

    AllWindows()
    {
        s.folder.writeCollection(u"Citat"_s,
                                 {u"Borta bra men hemma bäst"_s, u"Gud ser dig"_s, u"Morgonstund har guld i mund"_s});
        s.folder.write(u"help.txt"_s, "Hj\xE4lp\r\n"_ba);
        s.folder.write(u"lista.txt"_s, "rad\r\nrad 2\r\n"_ba);
        frmmain &w = s.start();
        search = std::make_unique<frmsök>(s.platform, w.link(), &w);
        editor = std::make_unique<frmredigera>(w.link(), s.platform);
        editor->takeCollectionsFromMain();
        import = std::make_unique<frmimport>(s.platform, EditorHandOver{[](const QString &) {}, {}, [] { return 0;
    }
    , &count, &changed, &save, &undo, &choice}, &w);
textFiles = std::make_unique<frmtextedit>(s.platform, &w);
about = std::make_unique<frmOm>(&w);
import->setDirPath(s.folder.folder());
help = new frmhjälp(&w);
} // namespace
~AllWindows()
{
    delete help.data();
}

std::vector<QWidget *> windows()
{
    return {s.window.get(),  search.get(), editor.get(), import.get(), &s.window->snabbsparaFönster(),
            textFiles.get(), about.get(),  help.data()};
}
QWidget *byName(const QString &name)
{
    for (QWidget *w : windows()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}
}
;

// Shows the window as the active one and gives the keyboard focus to `focus` by a real focus change.
void activate(QWidget *window, QWidget *focus)
{
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    focus->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), focus);
}

double luminance(QColor c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of the text drawn in a widget with its background: the background is the commonest colour,
// the text the colour that stands out from it most (the core of a glyph).
double measuredContrast(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QColor background =
        std::max_element(counts.begin(), counts.end(), [](auto &a, auto &b) { return a.second < b.second; })->first;
    double best = 1;
    for (const auto &[rgb, n] : counts)
        best = std::max(best, contrast(QColor(rgb), background));
    return best;
}

// Why the caption of a control does not fit the room the style gives it, or nothing when it fits.
QString captionMisfit(QWidget *w)
{
    QFontMetrics fm = w->fontMetrics();
    const auto width = [&](QString text) {
        return fm.horizontalAdvance(text.remove(u'&'));
    };
    QRect room;
    QString text;
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text = button->text();
        const auto element = qobject_cast<QCheckBox *>(w)      ? QStyle::SE_CheckBoxContents
                             : qobject_cast<QRadioButton *>(w) ? QStyle::SE_RadioButtonContents
                                                               : QStyle::SE_PushButtonContents;
        room = w->style()->subElementRect(element, &option, w);
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
        text = label->text();
        room = label->contentsRect();
    } else if (auto *frame = qobject_cast<QGroupBox *>(w)) {
        // The title, drawn bold, has the frame's width less its indent on either side.
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = text = frame->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = w->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, w);
        room = QRect(title.left(), title.top(), w->width() - 2 * title.left(), title.height());
        QFont bold = w->font();
        bold.setBold(true);
        fm = QFontMetrics(bold);
    }
    if (text.isEmpty() || (room.width() >= width(text) && room.height() >= fm.height()))
        return {};
    return u"%1.%2 \"%3\" needs %4×%5, has %6×%7"_s.arg(w->window()->objectName(), w->objectName(), text)
        .arg(width(text))
        .arg(fm.height())
        .arg(room.width())
        .arg(room.height());
}

// A desktop scheme of a text colour on a background (and the background of text boxes and lists), disabled
// text greyed.
QPalette scheme(QColor text, QColor background, QColor base, QColor highlight)
{
    QPalette p(background, background);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        p.setColor(role, text);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, Qt::gray);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, luminance(highlight) > 0.5 ? Qt::black : Qt::white);
    return p;
}

} // namespace

// The windows as users meet them on a desktop: a screen reader, the mouse and the keys, the desktop's colour
// scheme and font size.
class tst_accessible : public QObject
{
    Q_OBJECT

private slots:
    // A screen reader announces every control by its caption or its label ("Nästa", "Välj ordspråkfil:"), and
    // a control without either by a name of its own.
    void everyVisibleControlHasAName()
    {
        AllWindows all;
        QStringList missing;
        for (QWidget *window : all.windows())
            missing += unnamed(*window);
        frmmain &w = *all.s.window;

        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
        // A combo box is named by its entry, so the scan above passes without its label: that reaches the
        // screen reader only as its label relation.
        const auto labels = QAccessible::queryAccessibleInterface(w.comboordspråk)->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->text(QAccessible::Name), u"Välj ordspråkfil:"_s);
    }

    // Every caption fits its control, and the proverb and the lists stay readable, under any colour scheme and
    // desktop font size; at GNOME's 11 points every window fits a 1366 × 768 screen.
    void captionsFitAndTextIsReadable_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<double>("points");
        const std::pair<const char *, QPalette> looks[] = {
            {"light", QApplication::style()->standardPalette()},
            {"dark", scheme(QColor(0xee, 0xee, 0xee), QColor(0x35, 0x35, 0x35), QColor(0x1e, 0x1e, 0x1e),
                            QColor(0x2a, 0x82, 0xda))},
            {"high contrast", scheme(Qt::white, Qt::black, Qt::black, Qt::cyan)}};
        for (const auto &[name, palette] : looks) {
            for (const double points : {8.0, 11.0, 14.0, 16.0})
                QTest::addRow("%s, %g pt", name, points) << palette << points;
        }
    }
    void captionsFitAndTextIsReadable()
    {
        QFETCH(QPalette, palette);
        QFETCH(double, points);
        const QFont before = QApplication::font();
        const QPalette beforePalette = QApplication::palette();
        QFont font = before;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        QApplication::setPalette(palette);
        twips::followFont(font);
        const auto restore = qScopeGuard([&] {
            QApplication::setFont(before);
            QApplication::setPalette(beforePalette);
            twips::followFont(before);
        });

        AllWindows all;
        QStringList misfits;
        for (QWidget *window : all.windows()) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            if (points == 11 && (window->width() > 1366 || window->height() > 768 - 64))
                misfits << u"%1 is %2×%3"_s.arg(window->objectName()).arg(window->width()).arg(window->height());
            for (QWidget *w : window->findChildren<QWidget *>()) {
                // Hidden buttons take turns with shown ones in the same place; other hidden controls never show.
                if (w->window() == window && (!w->isHidden() || qobject_cast<QPushButton *>(w)))
                    misfits << captionMisfit(w);
            }
        }
        misfits.removeAll(QString());
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(u"; "_s)));

        all.editor->List1->clearSelection();
        for (QWidget *text :
             std::initializer_list<QWidget *>{all.s.window->pp->viewport(), all.editor->List1->viewport(),
                                              all.textFiles->list_filer->viewport(), all.import->File1->viewport()}) {
            const double measured = measuredContrast(text);
            QVERIFY2(measured >= 4.5,
                     qPrintable(u"%1: %2 : 1"_s.arg(text->parentWidget()->objectName()).arg(measured)));
        }
    }

    // A click on a line marks it and shows what the list's handler shows for it, as the arrow keys do.
    void aMouseClickOnAListFollowsTheSelection()
    {
        AllWindows all;
        const std::tuple<QAbstractItemView *, std::function<QString()>, QString> lists[] = {
            {all.editor->List1, [&] { return all.editor->Text1->toPlainText(); }, u"Gud ser dig"_s},
            {all.textFiles->list_filer, [&] { return all.textFiles->Text1->toPlainText().left(3); }, u"rad"_s},
        };
        for (const auto &[list, shown, expected] : lists) {
            list->window()->show();
            QVERIFY(QTest::qWaitForWindowExposed(list->window()));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(1, 0)).center());
            QCOMPARE(list->currentIndex().row(), 1);
            QCOMPARE(shown(), expected);
        }
    }

    // Escape never throws work away: the editor, the search and the text files keep their windows open; Help
    // and About close, the quick-save window hides with its list.
    void escape_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("staysOpen");
        for (const auto &[name, stays] : std::initializer_list<std::pair<QString, bool>>{{u"frmredigera"_s, true},
                                                                                         {u"frmsök"_s, true},
                                                                                         {u"frmtextedit"_s, true},
                                                                                         {u"frmsnabbspara"_s, false},
                                                                                         {u"frmOm"_s, false},
                                                                                         {u"frmhjälp"_s, false}})
            QTest::newRow(qPrintable(name)) << name << stays;
    }
    void escape()
    {
        QFETCH(QString, window);
        QFETCH(bool, staysOpen);
        AllWindows all;
        all.s.window->snabbsparaFönster().setLista(u"A"_s);
        QWidget *shown = all.byName(window);
        activate(shown, shown->focusWidget() ? shown->focusWidget() : shown->nextInFocusChain());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(shown->isVisible(), staysOpen);
        QCOMPARE(all.s.window->snabbsparaFönster().lista(), u"A"_s);
    }

    // Enter on a focused button presses it, in the main window as in a dialog.
    void enterPressesTheFocusedButton()
    {
        AllWindows all;
        frmmain &w = *all.s.window;
        activate(&w, w.cmdnästa);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w.txtnr->text(), u"2"_s);
        frmsnabbspara &quick = w.snabbsparaFönster();
        activate(&quick, quick.cmdtöm);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(all.s.platform.boxes().size(), 1);
    }

    // Tab walks the controls in the window's order, enters a group of options at the chosen one and never types a
    // tab into a multi-line box.
    void tabOrder_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("frmsök") << u"frmsök"_s
                                << QStringList{u"Text1"_s,          u"cmdsök"_s,          u"optsöksätt2"_s,
                                               u"Text2"_s,          u"cmdavbryt"_s,       u"cmdok"_s,
                                               u"chksökresultat"_s, u"cmdsparatextfil"_s, u"Text1"_s};
        QTest::newRow("frmredigera") << u"frmredigera"_s
                                     << QStringList{u"comboordspråk"_s, u"txtordspråk"_s,   u"cmdläggtill"_s,
                                                    u"txtsök"_s,        u"combosök"_s,      u"cmdavbryt"_s,
                                                    u"cmdimport"_s,     u"List1"_s,         u"Text1"_s,
                                                    u"cmdtabort"_s,     u"cmdsnabbspara"_s, u"cmdkopieraklippbok"_s,
                                                    u"cmddublett"_s,    u"txtdublett"_s,    u"comboordspråk"_s};
        QTest::newRow("frmtextedit") << u"frmtextedit"_s
                                     << QStringList{u"cmdstäng"_s, u"cmdraderafil"_s, u"cmdradera"_s, u"cmdkopiera"_s,
                                                    u"optvisa"_s,  u"list_filer"_s,   u"List1"_s,     u"cmdstäng"_s};
        QTest::newRow("frmsnabbspara") << u"frmsnabbspara"_s
                                       << QStringList{u"Text1"_s, u"cmdspara"_s, u"cmdtöm"_s, u"cmdstäng"_s,
                                                      u"Text1"_s};
    }
    void tabOrder()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        AllWindows all;
        QWidget *shown = all.byName(window);
        activate(shown, shown->findChild<QWidget *>(order.front()));
        QStringList walked{order.front()};
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, order);
    }

    // Every button, option, check box, labelled control and menu entry has an Alt letter, none twice in a window
    // (the main window's menu titles count); the letter presses the button. Ctrl+Q is "Avsluta".
    void altLettersAndCtrlQ()
    {
        AllWindows all;
        const auto letter = [](const QString &caption) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
            return mnemonic.isEmpty() ? QString() : mnemonic.toString();
        };
        QStringList faults;
        for (QWidget *window : all.windows()) {
            QStringList used;
            if (auto *main = qobject_cast<QMainWindow *>(window)) {
                for (QAction *title : main->menuBar()->actions()) {
                    used << letter(title->text());
                    QStringList inMenu;
                    for (QAction *entry : title->menu()->actions()) {
                        if (!entry->isSeparator()
                            && (letter(entry->text()).isEmpty() || inMenu.contains(letter(entry->text()))))
                            faults << entry->objectName();
                        inMenu << letter(entry->text());
                    }
                }
            }
            for (QWidget *w : window->findChildren<QWidget *>()) {
                auto *label = qobject_cast<QLabel *>(w);
                const QString caption = qobject_cast<QAbstractButton *>(w) ? static_cast<QAbstractButton *>(w)->text()
                                        : label && label->buddy()          ? label->text()
                                                                           : QString();
                if (caption.isEmpty() || w->window() != window)
                    continue;
                if (letter(caption).isEmpty() || used.contains(letter(caption)))
                    faults << window->objectName() + u'.' + w->objectName();
                used << letter(caption);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u", "_s)));

        frmmain &w = *all.s.window;
        activate(&w, w.txtnr);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::mnemonic(w.cmdnästa->text()));
        QTRY_COMPARE(w.txtnr->text(), u"2"_s); // the button shows itself pressed for a moment first
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::mnemonic(w.Label3->text()));
        QCOMPARE(QApplication::focusWidget(), w.comboordspråk);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(!w.isVisible());
    }

    // Qt's own texts, such as a text box's context menu, speak Swedish with the catalogue Debian ships.
    void qtTextsAreSwedish()
    {
        QVERIFY(platform::installSwedishQtTexts());
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
