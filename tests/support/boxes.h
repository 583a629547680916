// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "support/scriptedplatform.h"

#include <QStringList>

// The boxes shown since the last call as lines "kind|title|buttons|icon|text"; the standard error box, whose
// text after the number is the system's, reads "error:<number>".
inline QStringList takeBoxes(platform::ScriptedPlatform &platform)
{
    using platform::ScriptedPlatform;
    static const char *const buttons[] = {"Ok", "OkCancel", "YesNo", "YesNoCancel"};
    static const char *const icons[] = {"None", "Critical", "Question", "Exclamation", "Information"};
    const QString error = QStringLiteral("message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n");
    QStringList lines;
    for (const ScriptedPlatform::Box &box : platform.takeBoxes()) {
        QString line = box.kind == ScriptedPlatform::Box::Kind::Input
                           ? QStringLiteral("input|") + box.title + u'|' + box.defaultText + u'|' + box.text
                           : QStringLiteral("message|") + box.title + u'|'
                                 + QLatin1StringView(buttons[int(box.buttons)]) + u'|'
                                 + QLatin1StringView(icons[int(box.icon)]) + u'|' + box.text;
        if (line.startsWith(error) && line.indexOf(QStringLiteral(" - "), error.size()) > error.size())
            line = QStringLiteral("error:") + line.mid(error.size()).section(QStringLiteral(" - "), 0, 0);
        lines.append(line);
    }
    return lines;
}
