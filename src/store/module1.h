// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QString>

namespace tankedosan::store {

// The two program-wide variables. Only the main window sets the collection path; the count follows the list
// that the main window shows, whichever window changed it.
namespace Module1 {

// Number of entries of the list the main window currently shows.
extern int antal;

// Full path of the collection file whose proverbs the main window holds; set before the file is tested, so
// it names the chosen collection even when the file is missing.
extern QString sökväg;

// Back to the values at program start.
void reset();

} // namespace Module1

} // namespace tankedosan::store
