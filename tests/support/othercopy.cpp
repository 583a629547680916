// SPDX-License-Identifier: LicenseRef-Tankedosan
// Another copy of the program: rewrites a collection over what it read, "drop N" (from 0) or "add TEXT"; 0 if written.

#include "store/collections.h"
#include "store/writtenform.h"

#include <QCoreApplication>

using namespace tankedosan;
using namespace tankedosan::store;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4)
        return 2;
    store::FileStamp stamp;
    const store::Result<store::LineStore> read = store::readCollection(arguments[1], &stamp);
    if (!read.ok())
        return 3;
    QStringList lines = read->toStringList();
    if (arguments[2] == u"drop")
        lines.removeAt(arguments[3].toInt());
    else
        lines.append(arguments[3]);
    return store::writeFileAtomically(arguments[1], store::encodeLines(lines), &stamp) ? 4 : 0;
}
