#pragma once

#include <QRect>
#include <QSize>

// Window metrics are given in twips, 1440 to the inch; at 96 logical pixels to the inch a pixel is 15 twips.
namespace twips {

constexpr int kPerPixel = 15;

int toPixels(int twips);
QRect rect(int left, int top, int width, int height);
QSize size(int width, int height);

} // namespace twips
