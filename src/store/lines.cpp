#include "store/lines.h"

#include "store/linestore.h"

namespace store {

QStringList nonEmptyLines(QByteArrayView bytes)
{
    return LineStore::fromFileBytes(bytes.toByteArray()).toStringList();
}

QStringList allLines(QByteArrayView bytes)
{
    return LineStore::fromFileBytes(bytes.toByteArray(), true).toStringList();
}

} // namespace store
