// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/lines.h"

#include "store/linestore.h"

namespace store {

QStringList allLines(QByteArrayView bytes)
{
    return LineStore::fromFileBytes(bytes.toByteArray(), true).toStringList();
}

} // namespace store
