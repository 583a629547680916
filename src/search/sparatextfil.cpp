// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "search/sparatextfil.h"

#include "store/files.h"
#include "store/writtenform.h"
#include "store/programfolder.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tankedosan::search {

QString sparaTextfilPrompt()
{
    return u"Skriv in ett namn för den nya textfilen.\r\n"
           u"Filen kommer att sparas i Tankedosan-mappen, och du kan hitta den senare genom att välja "
           u"''Öppna text'' i huvudfönstrets Arkiv-meny."_s;
}

void spara_textfil(platform::Platform &platform, const QString &text)
{
    const QString name = platform.inputBox(sparaTextfilPrompt(), u"Spara sökresultat"_s);
    if (name.isEmpty())
        return;
    // A name that climbs out of the program folder would write a file the text window never finds.
    if (auto failure = store::checkNameForWriting(name))
        return platform.showStandardError(*failure);

    const QString path = store::pathInProgramFolder(name + u".txt"_s);
    // Any existing entry counts, a hidden file too: only the user may decide to replace it.
    if (QFileInfo::exists(path)
        && platform.messageBox(u"Filnamnet finns redan. Vill du skriva över det?"_s, platform::Buttons::YesNo,
                               platform::Icon::Question, u"Fil finns redan"_s)
               != platform::Answer::Yes)
        return;

    // One "line" that may itself hold line breaks: the text, then the closing CR LF, Windows-1252 when every
    // character fits and UTF-8 with a byte-order mark otherwise, so no character becomes "?".
    if (auto failure = store::writeFileAtomically(path, store::encodeLines({text})))
        return platform.showStandardError(*failure);
    // The path as it is: on a file system that tells letter cases apart, a lower-cased one may not exist.
    platform.messageBox(u"Textfil sparad.\r\n"_s + QDir::toNativeSeparators(path), platform::Buttons::Ok,
                        platform::Icon::None);
}

} // namespace tankedosan::search
