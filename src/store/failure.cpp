#include "store/failure.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace store {

namespace {
QString quoted(const QString &path)
{
    return u"''"_s + QDir::toNativeSeparators(path) + u"''"_s;
}

QString withDetail(QString text, const QString &detail)
{
    if (!detail.isEmpty())
        text += u" ("_s + detail + u')';
    return text;
}
} // namespace

namespace failures {
Failure invalidCall() { return {5, u"Ogiltigt proceduranrop eller argument"_s}; }
Failure overflow() { return {6, u"Spill"_s}; }
Failure typeMismatch() { return {13, u"Typerna matchar inte"_s}; }

Failure nameNotAllowed(const QString &name)
{
    return {52, u"Namnet ''"_s + name + u"'' är inte tillåtet som filnamn"_s};
}

Failure fileNotFound(const QString &path) { return {53, u"Filen hittades inte: "_s + quoted(path)}; }

Failure ioError(const QString &path, const QString &detail)
{
    return {57, withDetail(u"In-/utdatafel i filen "_s + quoted(path), detail)};
}

Failure accessDenied(const QString &path) { return {70, u"Åtkomst nekad: "_s + quoted(path)}; }

Failure pathAccessError(const QString &path, const QString &detail)
{
    return {75, withDetail(u"Fel vid åtkomst av sökväg/fil: "_s + quoted(path), detail)};
}
} // namespace failures

QString standardErrorMessage(const Failure &failure)
{
    return u"Ett fel uppstod.\r\n"_s + QString::number(failure.number) + u" - "_s + failure.description;
}

} // namespace store
