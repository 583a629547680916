// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/lines.h"

#include "store/linestore.h"

namespace tankedosan::store {

QStringList allLines(QByteArrayView bytes)
{
    return LineStore::fromFileBytes(bytes.toByteArray(), true).toStringList();
}

} // namespace tankedosan::store
