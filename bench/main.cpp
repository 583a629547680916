// The program's benchmarks: bench/run.sh [area...] runs them all, or the areas named (loading, search).

#include "areas.h"
#include "common.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // The children: one measurement each, in a process of its own.
    if (argc == 4 && (qstrcmp(argv[1], "--one") == 0 || qstrcmp(argv[1], "--search") == 0)) {
        bool okLines = false;
        const int lines = QByteArray(argv[2]).toInt(&okLines);
        if (!okLines || lines < 1000)
            return bench::failed(u"a child needs at least 1000 lines"_s);
        const QString folder = QString::fromLocal8Bit(argv[3]);
        int childArgc = 1;
        return qstrcmp(argv[1], "--one") == 0 ? bench::runLoadingChild(childArgc, argv, lines, folder)
                                              : bench::runSearchChild(childArgc, argv, lines, folder);
    }

    // Qt warns in every process when the session has no runtime folder; a private one keeps the output clean.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    QCoreApplication app(argc, argv);
    QStringList areas = app.arguments().mid(1);
    if (areas.isEmpty())
        areas = {u"loading"_s, u"search"_s};
    for (const QString &area : areas) {
        if (area != u"loading"_s && area != u"search"_s) {
            bench::err() << "usage: tankedosan_bench [loading] [search]" << Qt::endl;
            return 2;
        }
    }
    for (const QString &area : areas) {
        bench::out() << Qt::endl << "=== " << area << " ===" << Qt::endl;
        const int code = area == u"loading"_s ? bench::runLoading() : bench::runSearch();
        if (code != 0)
            return code;
    }
    return 0;
}
