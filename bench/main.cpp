// SPDX-License-Identifier: LicenseRef-Tankedosan
// The benchmark: tankedosan_bench [AREA...] measures the named areas, or every area, each against a baseline
// measured in the same run. "--child AREA ARGS..." is one measured start, run by the parent in a fresh process.

#include "areas.h"
#include "common.h"

#include <QApplication>
#include <QTemporaryDir>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct Area
{
    QString name;
    std::function<int(const QString &temp)> measure;
    std::function<int(const QStringList &args)> child;
};

const std::vector<Area> &areas()
{
    static const std::vector<Area> list{
        {u"load"_s, bench::loadArea, bench::loadChild},
        {u"search"_s, bench::searchArea, bench::searchChild},
        {u"editor"_s, bench::editorArea, bench::editorChild},
        {u"shell"_s, bench::shellArea, bench::shellChild},
        {u"hostile"_s, bench::hostileArea, bench::hostileChild},
        {u"fortune"_s, bench::fortuneArea, bench::fortuneChild},
        {u"desktop"_s, bench::desktopArea, bench::desktopChild},
    };
    return list;
}

const Area *findArea(const QString &name)
{
    for (const Area &area : areas()) {
        if (area.name == name)
            return &area;
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0) {
        int childArgc = 1;
        QApplication app(childArgc, argv);
        const Area *area = findArea(QString::fromLocal8Bit(argv[2]));
        if (!area)
            return bench::failed(u"no such area: "_s + QString::fromLocal8Bit(argv[2]));
        QStringList args;
        for (int i = 3; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        return area->child(args);
    }

    QCoreApplication app(argc, argv);
    QStringList names = app.arguments().mid(1);
    if (names.isEmpty()) {
        for (const Area &area : areas())
            names << area.name;
    }
    QTemporaryDir temp;
    if (!temp.isValid())
        return bench::failed(u"no temporary folder"_s);
    // Qt warns in every child when the session has no runtime folder; a private one keeps the output clean.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temp.path()));

    int status = 0;
    for (const QString &name : names) {
        const Area *area = findArea(name);
        if (!area) {
            bench::err() << "no such area: " << name << Qt::endl;
            return 2;
        }
        bench::out() << Qt::endl << "== " << name << " ==" << Qt::endl;
        status = std::max(status, area->measure(temp.path()));
    }
    return status;
}
