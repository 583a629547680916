// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "widgets/listboxmodel.h"
#include "widgets/mainwindowlink.h"
#include "platform/platform.h"
#include "store/linestore.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tankedosan::search {

// Whether entry `index` is a hit for the search text, letter case ignored in both: by the beginning of the
// text, or anywhere in it (where an empty entry is never a hit).
bool är_träff(const store::LineStore &entries, qsizetype index, QStringView söktext, store::Match söksätt);

// The hits among the first `count` entries (all when negative), in their order. The store folds letter case
// as it scans (the terminal's --sök runs the same scan), so no lower-case copy of the collection is made.
store::LineStore sök(const store::LineStore &entries, QStringView söktext, store::Match söksätt, qsizetype count = -1);

// The result text as it is saved: every hit followed by CR LF, from `from` on.
QString resultattext(const store::LineStore &hits, qsizetype from = 0);

// The search window: finds proverbs of the main window's collection, narrows its hits by searching again
// within them, saves them as a text file and hands them to the main window on "OK". Created for each
// opening and discarded when it closes.
// moc reads a class name as ASCII only, so the class is frmsok and the window's name, frmsök, is an alias.
class frmsok : public QDialog
{
    Q_OBJECT

public:
    frmsok(platform::Platform &platform, const widgets::MainWindowLink &main, QWidget *parent = nullptr);

    // The result box lays out at most this many hits (and about this many characters); the hit list, the count
    // and a saved text always hold every hit. A result of a million lines would take seconds to lay out.
    static constexpr int kShownHits = 10000;
    static constexpr qsizetype kShownResultCharacters = 2'000'000;

    // The result text as "Spara resultat..." saves it: the hits whole, or the box as the user edited it
    // followed by the hits that the box does not show.
    QString resultText() const;

    // The search a user makes by typing `text` into the search box and pressing Enter, with the mode and the
    // box "Sök i sökresultat" as they are: the main window opens the window so when it is started on a search.
    void typeAndSearch(const QString &text);

private:
    // Controls, named as the window's objects are.
    QLabel *Label2;
    QLineEdit *Text1;
    QGroupBox *Frame1;
    QRadioButton *optsöksätt1;
    QRadioButton *optsöksätt2;
    QCheckBox *chksökresultat;
    QPushButton *cmdsök;
    QLabel *Label4;
    QLabel *Label1;
    QLabel *lblresultat;
    QLabel *lblsöker;
    QPlainTextEdit *Text2;
    QPushButton *cmdsparatextfil;
    widgets::ListBoxModel *lista;
    QPushButton *cmdok;
    QPushButton *cmdavbryt;

    // Handlers.
    void Form_Load();
    void cmdsök_Click();
    void Text1_KeyPress();
    void sök_sökresultat();
    void cmdok_Click();
    void cmdavbryt_Click();
    void cmdsparatextfil_Click();

    void createControls();
    void connectHandlers();
    store::Match söksätt() const;
    void beginSearch();
    void showHits(store::LineStore hits);
    void endSearch();

    void followEdit(int position, int removed, int added);

    platform::Platform &m_platform;
    widgets::MainWindowLink m_main;
    // How many hits the result box shows; the rest are in the hit list only.
    int m_shownHits = 0;
    // Whether the box's text has changed since the hits were shown in it.
    bool m_edited = false;
    // Characters of the result box that stand for more than the box can hold: the "…" of a hit shown
    // shortened stands for the rest of that hit, a line break inside a hit for the character that made it.
    // They move with the user's edits and go when the user deletes them, so that a saved box holds what the
    // user sees and typed, every hit whole.
    struct Stand
    {
        int position;
        QChar shown;
        QString text; // what it stands for; or, for a "…",
        int hit = -1; // the hit it shortens,
        qsizetype from = 0; // from where on
    };
    std::vector<Stand> m_stands;
};
using frmsök = frmsok;

} // namespace tankedosan::search
