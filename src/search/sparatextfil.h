// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "platform/platform.h"

#include <QString>

namespace tankedosan::search {

// The prompt of the name box, two apostrophes on each side of the menu entry's name.
QString sparaTextfilPrompt();

// Saves a text that a window shows as name + ".txt" in the program folder: asks for the name ("Spara
// sökresultat"), asks before overwriting, writes the text and one CR LF by the store's encoding rule and
// confirms with the file's full path. Cancel or an empty name does nothing.
// Failures are shown as the standard error message and the calling window keeps running, so a quick-save
// list is never lost to a name that cannot be written.
void spara_textfil(platform::Platform &platform, const QString &text);

} // namespace tankedosan::search
