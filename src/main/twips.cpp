#include "main/twips.h"

namespace twips {

int toPixels(int twips)
{
    return (twips + kPerPixel / 2) / kPerPixel;
}

QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

QSize size(int width, int height)
{
    return {toPixels(width), toPixels(height)};
}

} // namespace twips
