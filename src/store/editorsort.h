// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/linestore.h"

#include <QString>
#include <QStringView>

#include <memory>

namespace tankedosan::store {

// The editor list's alphabetical order: Swedish, so Å, Ä and Ö come after Z and letter case matters only
// between lines whose letters are alike; the exact text breaks the last ties, so the order is total and
// equal lines are the only lines that stand side by side in any order.
class SwedishOrder
{
public:
    SwedishOrder();
    ~SwedishOrder();
    SwedishOrder(const SwedishOrder &) = delete;
    SwedishOrder &operator=(const SwedishOrder &) = delete;

    // Negative, 0 or positive as a sorts before, with or after b.
    int compare(QStringView a, QStringView b) const;
    bool less(QStringView a, QStringView b) const { return compare(a, b) < 0; }

    struct Private;

private:
    friend LineStore sortedLines(const LineStore &lines, const SwedishOrder &order);

    std::unique_ptr<Private> d;
};

// The lines in the editor's order, built in one go.
LineStore sortedLines(const LineStore &lines, const SwedishOrder &order);

// A sorted list and more lines in any order, in the editor's order, built in one go; where lines are equal,
// those already in the list come first, as when each new line is put at its sorted place.
LineStore mergedLines(const LineStore &sorted, const LineStore &more, const SwedishOrder &order);

// Where a new line goes: after every line that sorts before or with it.
qsizetype sortedPosition(const LineStore &lines, QStringView line, const SwedishOrder &order);

// The built-in Swedish order, used when the system has no Swedish collation; public so tests can hold it
// against the system's.
int fallbackSwedishCompare(QStringView a, QStringView b);

} // namespace tankedosan::store
