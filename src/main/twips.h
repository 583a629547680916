#pragma once

#include <QRect>
#include <QString>
#include <QSize>

// Window metrics are given in twips, 1440 to the inch; at 96 logical pixels to the inch a pixel is 15 twips.
namespace twips {

constexpr int kPerPixel = 15;

int toPixels(int twips);
QRect rect(int left, int top, int width, int height);
QSize size(int width, int height);

// Names a control and puts it where the window's design has it, in twips.
template <typename W>
W *place(W *widget, const QString &name, int left, int top, int width, int height)
{
    widget->setObjectName(name);
    widget->setGeometry(rect(left, top, width, height));
    return widget;
}

} // namespace twips
