// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "search/frmsok.h"

#include "widgets/twips.h"
#include "widgets/keys.h"
#include "widgets/placement.h"
#include "search/sparatextfil.h"
#include "store/files.h"
#include "store/programfolder.h"
#include "store/shown.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace tankedosan::search {

bool är_träff(const store::LineStore &entries, qsizetype index, QStringView söktext, store::Match söksätt)
{
    if (!entries.matches(index, söktext, söksätt))
        return false;
    // Only an empty search text can match an empty entry; anywhere in it there is nothing to find.
    return söksätt == store::Match::Beginning || !söktext.isEmpty() || !entries.at(index).isEmpty();
}

store::LineStore sök(const store::LineStore &entries, QStringView söktext, store::Match söksätt, qsizetype count)
{
    if (count < 0 || count > entries.size())
        count = entries.size();
    std::vector<qsizetype> found = entries.findAll(söktext, söksätt);
    while (!found.empty() && found.back() >= count)
        found.pop_back();
    // The store matches an empty text with every line; only here can an empty entry be among them.
    if (söktext.isEmpty() && söksätt == store::Match::Anywhere)
        std::erase_if(found, [&](qsizetype index) { return !är_träff(entries, index, söktext, söksätt); });
    // Every entry a hit: a copy shares the text instead of repeating it line by line, which for a million
    // proverbs saves most of a second and the memory of a second collection.
    if (qsizetype(found.size()) == entries.size())
        return entries;
    return entries.reordered(found);
}

QString resultattext(const store::LineStore &hits, qsizetype from)
{
    QString text;
    for (qsizetype i = from; i < hits.size(); ++i) {
        text += store::joinedLines(hits.at(i)); // a row for each, as the box shows them
        text += u"\r\n"_s;
    }
    return text;
}

namespace {

// The window keeps its controls at their given places and sizes; a caption that the font at hand makes too
// wide for its control gets a smaller font rather than being cut off.
void fitCaption(QWidget *control)
{
    // A push button's size hint has a minimum width of the style's; its caption needs only its text and a margin.
    const auto needed = [control] {
        if (const auto *button = qobject_cast<const QPushButton *>(control))
            return button->fontMetrics().horizontalAdvance(button->text()) + 12;
        return control->sizeHint().width();
    };
    QFont font = control->font();
    while (needed() > control->width() && font.pointSizeF() > 6) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        control->setFont(font);
    }
}

} // namespace

frmsok::frmsok(platform::Platform &platform, const widgets::MainWindowLink &main, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_main(main)
{
    setObjectName(u"frmsök"_s);
    setWindowTitle(u"Sökning"_s);
    widgets::fixedDialog(this, QSize(6510, 4290));
    createControls();
    connectHandlers();
    Form_Load();
}

void frmsök::createControls()
{
    // Created bottom first: the busy notice lies beneath the result box and shows only while it is hidden.
    lblsöker = widgets::twips::place(new QLabel(u"Söker..."_s, this), u"lblsöker"_s, 1920, 2280, 2535, 735);
    QFont busyFont(u"MS Sans Serif"_s, 24);
    busyFont.setBold(true);
    lblsöker->setFont(busyFont);
    lblsöker->setAlignment(Qt::AlignCenter);
    // Hidden as well as covered: a screen reader reads a covered label as if it could be seen.
    lblsöker->hide();

    Label2 = widgets::twips::place(new QLabel(u"Söktext"_s, this), u"Label2"_s, 3000, 120, 855, 255);
    // As high as the program's other text boxes: at 285 twips Adwaita's margins cut the tails of g and j.
    Text1 = widgets::twips::place(new QLineEdit(this), u"Text1"_s, 3000, 360, 3375, 330);
    Label2->setBuddy(Text1);
    Frame1 = widgets::twips::place(new QGroupBox(u"Söksätt"_s, this), u"Frame1"_s, 120, 120, 2775, 855);
    optsöksätt1 =
        widgets::twips::place(new QRadioButton(u"Textens början"_s, Frame1), u"optsöksätt1"_s, 240, 240, 2175, 255);
    optsöksätt2 =
        widgets::twips::place(new QRadioButton(u"Alla förekomster"_s, Frame1), u"optsöksätt2"_s, 240, 480, 2295, 255);
    optsöksätt2->setChecked(true);
    chksökresultat =
        widgets::twips::place(new QCheckBox(u"Sök i sökresultat"_s, this), u"chksökresultat"_s, 3000, 720, 2535, 255);
    cmdsök = widgets::twips::place(new QPushButton(u"Sök"_s, this), u"cmdsök"_s, 5640, 720, 735, 335);

    Label4 = widgets::twips::place(new QLabel(this), u"Label4"_s, 120, 1080, 6255, 45);
    Label4->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Label1 = widgets::twips::place(new QLabel(u"Sökresultat:"_s, this), u"Label1"_s, 120, 1200, 975, 255);
    lblresultat = widgets::twips::place(new QLabel(u"0 träffar"_s, this), u"lblresultat"_s, 1200, 1200, 1335, 255);

    Text2 = widgets::twips::place(new QPlainTextEdit(this), u"Text2"_s, 120, 1440, 6255, 2295);
    Label1->setBuddy(Text2);
    Text2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setTabChangesFocus(true);

    cmdsparatextfil = widgets::twips::place(new QPushButton(u"Spara resultat..."_s, this), u"cmdsparatextfil"_s, 120,
                                            3840, 1335, 375);
    lista = new widgets::ListBoxModel(u"lista"_s, this);
    cmdok = widgets::twips::place(new QPushButton(u"OK"_s, this), u"cmdok"_s, 3600, 3840, 1335, 375);
    cmdavbryt = widgets::twips::place(new QPushButton(u"Avbryt"_s, this), u"cmdavbryt"_s, 5040, 3840, 1335, 375);

    for (QWidget *control :
         std::initializer_list<QWidget *>{lblsöker, Label2, optsöksätt1, optsöksätt2, chksökresultat, cmdsök, Label1,
                                          lblresultat, cmdsparatextfil, cmdok, cmdavbryt})
        fitCaption(control);
}

// The keys of the window, and what each control runs.
void frmsök::connectHandlers()
{
    // The window's tab order: search text, "Sök", the options, the results, then the buttons.
    QWidget *const order[] = {Text1,     cmdsök, optsöksätt1,    optsöksätt2,    Text2,
                              cmdavbryt, cmdok,  chksökresultat, cmdsparatextfil};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    Text1->setFocus();
    // Enter in a text box keeps its role there: no button of the window is pressed by it unless it has the focus.
    widgets::keyboard(this);
    // Escape must not throw away what the window holds and the user has not kept.
    widgets::escapeKeepsOpen(this);

    connect(Text2->document(), &QTextDocument::contentsChange, this, &frmsök::followEdit);
    connect(Text1, &QLineEdit::returnPressed, this, &frmsök::Text1_KeyPress);
    connect(cmdsök, &QPushButton::clicked, this, &frmsök::cmdsök_Click);
    connect(cmdok, &QPushButton::clicked, this, &frmsök::cmdok_Click);
    connect(cmdavbryt, &QPushButton::clicked, this, &frmsök::cmdavbryt_Click);
    connect(cmdsparatextfil, &QPushButton::clicked, this, &frmsök::cmdsparatextfil_Click);
}

void frmsök::Form_Load()
{
    setWindowIcon(m_main.window->windowIcon());
    // Centred on the screen, not on the main window.
    widgets::centreOnScreen(this);
}

store::Match frmsök::söksätt() const
{
    return optsöksätt1->isChecked() ? store::Match::Beginning : store::Match::Anywhere;
}

void frmsök::beginSearch()
{
    Text2->clear();
    Text2->hide();
    lista->clear();
    m_shownHits = 0;
    lblsöker->show();
    lblsöker->repaint();
}

void frmsök::showHits(store::LineStore hits)
{
    // The box shows the first hits, as many as lay out quickly; the hit list keeps them all.
    QString shown;
    std::vector<Stand> stands;
    int count = 0;
    for (; count < hits.size() && count < kShownHits && shown.size() < kShownResultCharacters; ++count) {
        const QString hit = hits.rowAt(count);
        for (qsizetype k = 0; k < hit.size(); ++k) {
            // The box breaks the line at these, and would hand each back as a line end.
            const char16_t c = hit[k].unicode();
            if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == 0xFDD0
                || c == 0xFDD1)
                stands.push_back({int(shown.size() + k), QChar(), QString(hit[k])});
        }
        if (hit.size() >= store::kShownCharacters && hit.endsWith(u'…')
            && store::joinedLines(hits.at(count)).size() > store::kShownCharacters)
            stands.push_back({int(shown.size() + hit.size() - 1), QChar(), QString(), count, hit.size() - 1});
        shown += hit;
        shown += u'\n';
    }
    m_shownHits = count;
    Text2->setPlainText(shown);
    m_edited = false;
    lista->setLines(std::move(hits));

    // Only while the box holds one character for each one given do the positions hold.
    const QTextDocument *box = Text2->document();
    m_stands.clear();
    if (box->characterCount() - 1 == shown.size()) {
        m_stands = std::move(stands);
        for (Stand &stand : m_stands)
            stand.shown = box->characterAt(stand.position);
    }
}

void frmsök::endSearch()
{
    m_platform.setPointer(platform::Pointer::Default);
    Text2->show();
    lblsöker->hide();
    lblresultat->setText(QString::number(lista->count()) + u" träffar"_s);
}

void frmsök::cmdsök_Click()
{
    if (chksökresultat->isChecked())
        return sök_sökresultat();
    m_platform.setPointer(platform::Pointer::Busy);
    beginSearch();
    // The whole collection, whichever view the main window shows. Nothing here can fail: the proverbs are in
    // memory and the scan reads them only.
    showHits(sök(m_main.wholeCollection(), Text1->text(), söksätt()));
    endSearch();
}

void frmsök::Text1_KeyPress()
{
    cmdsök_Click();
}

void frmsök::typeAndSearch(const QString &text)
{
    // The box has the focus from the window's start; Enter in it runs what the button "Sök" runs.
    Text1->setText(text);
    cmdsök->click();
}

void frmsök::sök_sökresultat()
{
    if (lista->count() == 0) {
        m_platform.messageBox(u"Söklistan är tom. Du kan inte söka i söklistan."_s, platform::Buttons::Ok,
                              platform::Icon::Exclamation);
        return;
    }
    const auto trap = [this](const store::Failure &failure) {
        endSearch();
        m_platform.messageBox(store::errorMessage(failure, store::ErrorForm::NumberOnly), platform::Buttons::Ok,
                              platform::Icon::None);
    };

    // The hits go through the scratch file because the hit list is both the source and the target. The
    // store's encoding rule keeps every character, so exactly the hits written are read back. The file is
    // this search's own and goes when the search ends, however it ends. Writing a large hit list takes as long
    // as searching it: the busy pointer shows from here.
    m_platform.setPointer(platform::Pointer::Busy);
    const int written = lista->count();
    store::ScratchFile scratch;
    if (auto failure = scratch.write(lista->lines().toFileBytes()))
        return trap(*failure);

    beginSearch();
    store::Result<QByteArray> bytes = scratch.readBack();
    if (auto failure = bytes.failure())
        return trap(*failure);
    const store::LineStore lines = store::LineStore::fromOwnFileBytes(*std::move(bytes));
    showHits(sök(lines, Text1->text(), söksätt(), written));
    if (lines.size() < written)
        return trap(store::failures::inputPastEndOfFile()); // fewer lines read back than written
    endSearch();
}

void frmsök::cmdok_Click()
{
    // Selecting the view runs the main window's handler while this window is still open.
    m_main.showSearchHits(lista->lines());
    accept();
}

void frmsök::cmdavbryt_Click()
{
    reject();
}

void frmsök::followEdit(int position, int removed, int added)
{
    // However the text changed: typed, pasted, or set whole (by an input method or a screen reader's tool).
    m_edited = true;
    const QTextDocument *box = Text2->document();
    std::erase_if(m_stands, [&](const Stand &stand) {
        // A change of format alone reports its characters as removed and added again.
        return stand.position >= position && stand.position < position + removed
               && !(removed == added && box->characterAt(stand.position) == stand.shown);
    });
    for (Stand &stand : m_stands) {
        if (stand.position >= position + removed)
            stand.position += added - removed;
    }
}

QString frmsök::resultText() const
{
    if (!m_edited)
        return resultattext(lista->lines());
    // The box's own text, not toPlainText(), which turns no-break spaces into blanks.
    const QString inBox = Text2->document()->toRawText();
    QString text;
    text.reserve(inBox.size());
    auto stand = m_stands.cbegin();
    for (qsizetype i = 0; i < inBox.size(); ++i) {
        if (stand != m_stands.cend() && stand->position == i) {
            text += stand->hit < 0 ? stand->text : store::joinedLines(lista->lines().at(stand->hit)).mid(stand->from);
            ++stand;
        } else if (inBox[i] == QChar::ParagraphSeparator || inBox[i] == QChar::LineSeparator) {
            text += u"\r\n"_s;
        } else {
            text += inBox[i];
        }
    }
    return text + resultattext(lista->lines(), m_shownHits);
}

void frmsök::cmdsparatextfil_Click()
{
    spara_textfil(m_platform, resultText());
}

} // namespace tankedosan::search
