// Another copy of the program at work on the same folder: reads a collection and writes it back as the
// program does (only over what it read), with one line dropped ("drop N", from 0) or one added ("add TEXT").
// Exit status 0 when it wrote.

#include "store/collections.h"
#include "store/encoding.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4)
        return 2;
    const QString path = arguments[1];
    store::LineStore read;
    store::FileStamp stamp;
    if (store::readCollection(path, read, &stamp))
        return 3;
    QStringList lines = read.toStringList();
    if (arguments[2] == u"drop")
        lines.removeAt(arguments[3].toInt());
    else
        lines.append(arguments[3]);
    return store::writeFileAtomically(path, store::encodeLines(lines), &stamp) ? 4 : 0;
}
