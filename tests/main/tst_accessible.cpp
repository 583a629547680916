#include "support/modal.h"

#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "main/frmhjalp.h"
#include "main/frmom.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "textfiles/frmtextedit.h"

#include <QAccessible>

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
        if (qobject_cast<QAbstractScrollArea *>(w->parentWidget()) && w == static_cast<QAbstractScrollArea *>(w->parentWidget())->viewport())
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            missing << window.objectName() + u'.' + w->objectName() + u" ("_s + QString::fromLatin1(w->metaObject()->className()) + u')';
    }
    return missing;
}

} // namespace

// A screen reader announces every control by its caption or its label ("Nästa", "Välj ordspråkfil:"), and
// a control without either by a name of its own.
class tst_accessible : public QObject {
    Q_OBJECT

private slots:
    void everyVisibleControlHasAName()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"Borta bra men hemma bäst"_s});
        s.folder.write(u"help.txt"_s, "Hj\xE4lp\r\n"_ba);
        s.folder.write(u"lista.txt"_s, "rad\r\n"_ba);
        frmmain &w = s.start();
        frmsök search(s.platform, w, &w);
        frmredigera editor(w, s.platform);
        editor.takeCollectionsFromMain();
        QLabel count;
        QCheckBox changed;
        QPushButton save, undo;
        QComboBox choice;
        frmimport import(s.platform, {[](const QString &) {}, {}, [] { return 0; }, &count, &changed, &save, &undo, &choice}, &w);
        frmtextedit textFiles(s.platform, &w);
        frmOm about(&w);
        frmhjälp help(&w);
        QStringList missing;
        for (QWidget *window : std::initializer_list<QWidget *>{&w, &search, &editor, &import, &w.snabbsparaFönster(), &textFiles, &about, &help})
            missing += unnamed(*window);

        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
        // A combo box is named by its entry, so the scan above passes without its label: that reaches the
        // screen reader only as its label relation.
        const auto labels = QAccessible::queryAccessibleInterface(w.comboordspråk)->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->text(QAccessible::Name), u"Välj ordspråkfil:"_s);
    }
};

QTEST_MAIN(tst_accessible)
#include "tst_accessible.moc"
