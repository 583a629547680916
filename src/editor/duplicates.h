// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/linestore.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace tankedosan::editor {

namespace duplicates {

// The number a text starts with: blanks and tabs are skipped, "." is the decimal point, and reading stops at
// the first character that cannot continue the number; 0 when the text starts with none.
double leadingNumber(QStringView text);

// How many leading characters make a line's key: none (whole lines) when the count is not above 0, else the
// count rounded half to even, which may be 0 (every key empty).
std::optional<qsizetype> keyLength(double count);

// A line's key: its first characters (or all of it), in lower case.
QString key(QString line, std::optional<qsizetype> length);

// Called now and then while a check runs, with how many lines are done; false stops the check.
using Progress = std::function<bool(qsizetype done)>;

struct Report
{
    QString report; // the groups found, each line followed by CR LF, each group by two more
    bool cancelled = false;
};

// Every group of lines whose keys are equal, reported once, in the order of each group's first line, every
// member in full and in list order. Works in one pass by grouping keys, so a million lines take seconds,
// and gives the report that comparing every line with every later one gives. `progress` is called about
// every `interval` milliseconds. A cancelled check reports, as the comparing check does, every group whose first
// line it had reached, whole.
Report find(const store::LineStore &lines, std::optional<qsizetype> length, const Progress &progress = {},
            int intervalMs = 30);

// The check as first written: every line against every later one, a group left out when its text already
// stands in the report. Quadratic; kept as the yardstick that the fast check must match byte for byte, and
// used for the lists it cannot take (a line that is empty or holds a CR). `progress` runs before every
// comparison.
Report findByComparingAll(const store::LineStore &lines, std::optional<qsizetype> length,
                          const Progress &progress = {});

// The report file's bytes: the report and one more CR LF, in the collection files' encoding.
QByteArray reportFileBytes(const QString &report);

} // namespace duplicates

} // namespace tankedosan::editor
