// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/failure.h"

#include <QString>

namespace tankedosan::store {

// The blanks a number may stand between, in the number box as in nr.ini: space and tab, nothing else.
bool isNumberBlank(QChar c);

// The strict number of a text: optional blanks, an optional sign and a decimal number, nothing else. A
// fraction rounds half to even, like the lenient number; the result must lie within the 32-bit range.
// Anything else is a failure (type mismatch, or overflow when out of range).
store::Result<int> strictNumber(const QString &text);

// The lenient number: the number at the start of the text after blanks (digits with an optional sign and
// fraction), rounded half to even; 0 when the text does not start with a number. Kept within the 32-bit range
// so that stepping from it can never overflow.
int lenientNumber(const QString &text);

} // namespace tankedosan::store
