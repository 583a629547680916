// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QRect>
#include <QString>
#include <QSize>

class QFont;

namespace tankedosan::widgets {

// Window metrics are given in twips, 1440 to the inch; at 96 logical pixels to the inch and the font the
// windows were laid out for, a pixel is 15 twips. A larger desktop font makes every window larger in
// proportion, as the classic platform's "large fonts" setting did, so that captions keep fitting.
namespace twips {

constexpr int kPerPixel = 15;

// Takes the factor from the font's metrics: 1 at the font the windows were laid out for (and at any smaller
// one), growing with a larger font. Without a call the application's font at the first use gives it.
void followFont(const QFont &font);
// Pixels per 15 twips.
double factor();

int toPixels(int twips);
QRect rect(int left, int top, int width, int height);
QSize size(int width, int height);

// Names a control and puts it where the window's design has it, in twips.
template<typename W>
W *place(W *widget, const QString &name, int left, int top, int width, int height)
{
    widget->setObjectName(name);
    widget->setGeometry(rect(left, top, width, height));
    return widget;
}

} // namespace twips

} // namespace tankedosan::widgets
