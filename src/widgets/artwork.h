// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tankedosan::widgets {

// The program's pictures, drawn in code so that the program is a single file beside its data.

// A small box with a speech bubble: the window icon of every window.
QIcon windowIcon();

// The picture in the corner of the proverb panel.
QPixmap boxPicture(int side);

} // namespace tankedosan::widgets
