#pragma once

#include "platform/scriptedplatform.h"

#include <QStringList>

// Every box as one line of text, so a test compares kind, title, buttons, icon and message exactly, in order.
inline QStringList describeBoxes(const QList<platform::ScriptedPlatform::Box> &boxes)
{
    using platform::ScriptedPlatform;
    QStringList lines;
    for (const ScriptedPlatform::Box &box : boxes) {
        static const char *const buttons[] = {"Ok", "OkCancel", "YesNo", "YesNoCancel"};
        static const char *const icons[] = {"None", "Critical", "Question", "Exclamation", "Information"};
        lines.append(box.kind == ScriptedPlatform::Box::Kind::Input
                         ? QStringLiteral("input|") + box.title + u'|' + box.defaultText + u'|' + box.text
                         : QStringLiteral("message|") + box.title + u'|'
                               + QLatin1StringView(buttons[int(box.buttons)]) + u'|'
                               + QLatin1StringView(icons[int(box.icon)]) + u'|' + box.text);
    }
    return lines;
}

// The boxes shown since the last call, described; the program's standard error box, whose text after the
// number is the system's, reads "error:<number>".
inline QStringList takeBoxes(platform::ScriptedPlatform &platform)
{
    const QString error = QStringLiteral("message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n");
    QStringList lines = describeBoxes(platform.takeBoxes());
    for (QString &line : lines) {
        if (line.startsWith(error) && line.indexOf(QStringLiteral(" - "), error.size()) > error.size())
            line = QStringLiteral("error:") + line.mid(error.size()).section(QStringLiteral(" - "), 0, 0);
    }
    return lines;
}
