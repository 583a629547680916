// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "widgets/listboxmodel.h"
#include "widgets/mainwindowlink.h"
#include "platform/platform.h"
#include "store/collections.h"
#include "store/files.h"

#include <QMainWindow>

#include <array>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace tankedosan::quicksave {
class frmsnabbspara;
}

namespace tankedosan::main {

// The main window's caption in the whole-list view: "Tankedosan -  " (two blanks), the count, " st".
QString wholeListCaption(int count);
// In the search-list view: "Tankedosan - sökresultat - ", the count, " st".
QString searchListCaption(int count);

// The start-up window: lists the collections, shows one proverb at a time by its number and steps through
// them. The windows it opens reach it only through MainWindowLink.
class frmmain : public QMainWindow
{
    Q_OBJECT

public:
    // `start` says where it opens when it is told (store::WindowStart); empty, it opens as always.
    explicit frmmain(platform::Platform &platform, const store::WindowStart &start = {}, QWidget *parent = nullptr);

    // What the windows opened from here may ask of it.
    widgets::MainWindowLink link();
    // The one quick-save window of the program, created hidden on first use; the editor appends to it too.
    quicksave::frmsnabbspara &snabbsparaFönster();

private:
    // Controls, named as the window's objects are.
    widgets::ListBoxModel *fillista;
    QPushButton *cmdordspråk_radera;
    QPushButton *cmdordspråk_ny;
    QComboBox *comboordspråk;
    widgets::ListBoxModel *söklista;
    widgets::ListBoxModel *List1;
    QPushButton *cmdsök;
    QLineEdit *txtnr;
    QPushButton *cmdnästa;
    QPushButton *cmdförra;
    QPushButton *cmdkopiera;
    QGroupBox *Frame1;
    QRadioButton *optlista_sök;
    QRadioButton *optlista_hela;
    QWidget *Picture1;
    QScrollBar *scroll;
    QPlainTextEdit *pp;
    QLabel *Image1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label1;

    // Menus.
    QMenu *mnuarkiv;
    // "akriv", not "arkiv": the name this entry has always had, which automation and tests find it by.
    QAction *mnuakriv_öppnatext;
    QAction *mnuarkiv_linje1;
    QAction *mnuarkiv_snabbspara;
    QAction *mnuarkiv_öppnasnabbspara;
    QAction *mnuarkiv_linje2;
    QAction *mnuarkiv_raderaordspråk;
    QAction *mnuarkiv_linje3;
    QAction *mnuarkiv_avsluta;
    QMenu *mnuredigera;
    QAction *mnuredigera_sök;
    QAction *mnuredigera_linje1;
    QAction *mnuredigera_redigera;
    QAction *mnuredigera_linje2;
    std::array<QAction *, 5> mnuredigera_textstorlek;
    QMenu *mnuhjälp;
    QAction *mnuhjälp_hjälp;
    QAction *mnuhjälp_linje1;
    QAction *mnuhjälp_om;

    // Handlers.
    void Form_Load();
    void comboordspråk_Click();
    void txtnr_Change();
    void cmdnästa_Click();
    void cmdförra_Click();
    void Form_Unload();
    void cmdsök_Click();
    void mnuredigera_sök_Click();
    void optlista_hela_Click();
    void optlista_sök_Click();
    void mnuarkiv_raderaordspråk_Click();
    void cmdordspråk_ny_Click();
    void cmdordspråk_radera_Click();
    void cmdkopiera_Click();
    void mnuredigera_textstorlek_Click(int index);
    void scroll_Change();

    // What the file of the proverb list was when it was read or last written: a deletion writes the list back
    // only over that file (never after a failed read, never over another program's change).
    store::FileStamp collectionStamp;
    // True, with the refusal shown, when the proverb list is another program's collection.
    bool refusedAsForeign();

    // Whether the search list is the list being stepped through.
    bool searchListView() const;
    // The list of the current view.
    widgets::ListBoxModel *currentList() const;
    // The proverb the display shows, whole even where the display shows only its beginning.
    QString shownProverb() const;

    void closeEvent(QCloseEvent *event) override;
    // What the window was told at start that needs it seen: a collection that is not listed, a search.
    void showEvent(QShowEvent *event) override;
    // The search window, opened modally; with `typed`, that text typed into it and searched.
    void openSearch(const QString &typed = {});
    // The index in the collection box of the collection the window was told to start on, -1 when none is
    // listed under that name.
    int toldCollection() const;

    // Shows proverb n of the current list: the number box is set to n and its handler runs once, also when the
    // box held n already.
    void showNumber(int n);
    void countShownList();
    static bool linedUp(QStringView proverb);
    void showLinedUp(bool fixedPitch);

    void createControls();
    void placeCollectionChoice(QWidget *client);
    void placeDisplay(QWidget *client);
    void placeViewAndStepping(QWidget *client);
    void createMenus();
    void connectHandlers();
    void connectControls();
    // The keys of a desktop reader beyond the menus' own: Page Down / Page Up and the arrows step, Ctrl+C
    // copies, Ctrl+plus and Ctrl+minus step the text size; each only where the focused control has no use of
    // its own for it.
    void connectDesktopKeys();
    // The next larger (+1) or smaller (-1) text size, through its menu entry; none past either end.
    void stepTextSize(int step);

    platform::Platform &m_platform;
    store::WindowStart m_start;
    // The collection the window was told to start on, not listed: told once the window is seen.
    QString m_untold;
    // While the view "Söklistan" offers a search for its empty list.
    bool m_searchOffered = false;
    QString m_proseFamily; // the display's own font, for every proverb but one lined up by blanks

    // The windows opened from the menus: About, Help, the quick-save list and the text files.
    void mnuhjälp_om_Click();
    void Image1_Click();
    void mnuhjälp_hjälp_Click();
    void mnuarkiv_öppnasnabbspara_Click();
    void mnuarkiv_snabbspara_Click();
    void mnuakriv_öppnatext_Click();

    // The display's point sizes for the text-size values 1 to 5; the menu captions round them (8, 10, 12, 14, 18).
    static constexpr double kTextSizes[] = {8.25, 9.75, 12, 13.5, 18};
    void connectOtherWindows();
};

} // namespace tankedosan::main
