// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/failure.h"

#include "store/bounds.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace tankedosan::store {

namespace {
QString quoted(const QString &path)
{
    return u"''"_s + QDir::toNativeSeparators(path) + u"''"_s;
}
} // namespace

namespace failures {
Failure invalidCall()
{
    return {5, u"Ogiltigt proceduranrop eller argument"_s};
}
Failure overflow()
{
    return {6, u"Spill"_s};
}
Failure tooLarge(const QString &path)
{
    return {7, u"Filen "_s + quoted(path)
                   + u" är för stor: programmet läser högst %1 MB och %2 miljoner rader"_s.arg(kMaxReadBytes >> 20)
                         .arg(kMaxReadLines / 1'000'000)};
}
Failure outOfMemory()
{
    return {7, u"Slut på minne"_s};
}

Failure typeMismatch()
{
    return {13, u"Typerna matchar inte"_s};
}
Failure cancelled()
{
    return {18, u"Avbrutet av användaren"_s};
}

Failure nameNotAllowed(const QString &name)
{
    return {52, u"Namnet ''"_s + name + u"'' är inte tillåtet som filnamn"_s};
}

Failure nameTooLong(const QString &name)
{
    return {52, u"Namnet ''"_s + name + u"'' är för långt för ett filnamn i programkatalogen"_s};
}

Failure fileNotFound(const QString &path)
{
    return {53, u"Filen hittades inte: "_s + quoted(path)};
}
Failure wouldChange(const QString &path)
{
    return {54, u"Filen "_s + quoted(path)
                    + u" skulle inte läsas tillbaka som den ser ut nu (ett halvt UTF-16-teckenpar, en udda sista byte"
                      u" eller fler radbrytningar inne i raderna än rader) och skrivs därför inte över"_s};
}

Failure ioError(const QString &path)
{
    return {57, u"In-/utdatafel i filen "_s + quoted(path)};
}
Failure diskFull(const QString &path)
{
    return {61, u"Disken är full: "_s + quoted(path)};
}
Failure inputPastEndOfFile()
{
    return {62, u"Inmatning efter filslut"_s};
}
Failure accessDenied(const QString &path)
{
    return {70, u"Åtkomst nekad: "_s + quoted(path)};
}
Failure pathAccessError(const QString &path)
{
    return {75, u"Fel vid åtkomst av sökväg/fil: "_s + quoted(path)};
}
Failure pathNotFound(const QString &path)
{
    return {76, u"Sökvägen hittades inte: "_s + quoted(path)};
}
Failure invalidPropertyValue()
{
    return {380, u"Ogiltigt egenskapsvärde"_s};
}

namespace {
// Tells a change since reading from every other notice.
constexpr int kChangedSinceRead = 1;
} // namespace

Failure notRead(const QString &path)
{
    return {0, u"Filen "_s + quoted(path) + u" kunde inte läsas och skrivs därför inte över."_s, true};
}

Failure belongsToOtherProgram(const QString &path)
{
    return {0,
            u"Samlingen i "_s + quoted(path.endsWith(u".dat"_s, Qt::CaseInsensitive) ? path.chopped(4) : path)
                + u" hör till ett annat program (fortune) och kan bara "
                  u"läsas här. Ingenting har skrivits."_s,
            true};
}

Failure notACollection(const QString &path)
{
    return {0, u"Filen "_s + quoted(path) + u" är ingen samling: den innehåller inte text."_s, true};
}

Failure changedSinceRead(const QString &path, const QString &what)
{
    return {kChangedSinceRead,
            u"Filen "_s + quoted(path) + u" har ändrats av ett annat program sedan den lästes: "_s + what
                + u". Ingenting har skrivits."_s,
            true};
}

bool isChangedSinceRead(const Failure &failure)
{
    return failure.notice && failure.number == kChangedSinceRead;
}

namespace {
struct SystemError
{
    int errorNumber;
    Failure (*failure)(const QString &path);
};

// Every operating-system error the program tells apart; anything else is an input/output failure (57).
const SystemError kSystemErrors[] = {
    {EACCES, accessDenied},   {EPERM, accessDenied},     {EROFS, accessDenied},     {ETXTBSY, accessDenied},
    {ENOSPC, diskFull},
#ifdef EDQUOT
    {EDQUOT, diskFull},
#endif
    {ENOENT, fileNotFound},   {ENOTDIR, pathNotFound},   {EISDIR, pathAccessError}, {ENAMETOOLONG, pathAccessError},
#ifdef ELOOP
    {ELOOP, pathAccessError},
#endif
    {ENXIO, pathAccessError}, {ENODEV, pathAccessError}, {EBUSY, pathAccessError},  {EXDEV, pathAccessError},
};
} // namespace

Failure fromSystemError(int errorNumber, const QString &path)
{
    if (errorNumber == ENOENT && !QFileInfo(QFileInfo(path).absolutePath()).isDir())
        return pathNotFound(path);
    for (const SystemError &known : kSystemErrors) {
        if (known.errorNumber == errorNumber)
            return known.failure(path);
    }
    return ioError(path);
}
} // namespace failures

QString errorMessage(const Failure &failure, ErrorForm form)
{
    const QString numbered = QString::number(failure.number) + u" - "_s + failure.description;
    switch (form) {
    case ErrorForm::Standard: return failure.notice ? failure.description : u"Ett fel uppstod.\r\n"_s + numbered;
    case ErrorForm::OneLine: return failure.notice ? failure.description : u"Ett fel uppstod. "_s + numbered;
    case ErrorForm::Find: return u"Ett fel uppstod under sökning: "_s + numbered;
    case ErrorForm::NumberOnly: return u"Error "_s + QString::number(failure.number);
    case ErrorForm::Deleting: return u"Ett fel uppstod då filen skulle raderas!\r\n"_s + numbered;
    case ErrorForm::Numbered: return numbered;
    }
    return numbered;
}

QString standardErrorMessage(const Failure &failure)
{
    return errorMessage(failure, ErrorForm::Standard);
}

} // namespace tankedosan::store
