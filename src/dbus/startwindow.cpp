// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "dbus/startwindow.h"

#include <QCoreApplication>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace tankedosan::dbus {

bool startWindow(const cli::CommandLine &line, const QStringList &arguments)
{
    QStringList words = QStringList{u"--fönster"_s} + arguments;
    if (!line.folder.isEmpty())
        words << u"--mapp"_s << line.folder;
    if (!line.encoding.isWindows1252())
        words << u"--kodning"_s << line.encoding.name();
    QProcess window;
    window.setProgram(QCoreApplication::applicationFilePath());
    window.setArguments(words);
    window.setStandardInputFile(QProcess::nullDevice());
    window.setStandardOutputFile(QProcess::nullDevice());
    window.setStandardErrorFile(QProcess::nullDevice());
    return window.startDetached();
}

} // namespace tankedosan::dbus
