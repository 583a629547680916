// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/twips.h"

#include <QApplication>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace tankedosan::widgets {

namespace twips {

namespace {

// The line height and the width of a sample of captions in the font the windows were laid out for (DejaVu
// Sans, 9 points, at 96 pixels to the inch).
constexpr double kLaidOutHeight = 14;
constexpr double kLaidOutSampleWidth = 268;
const QString kSample = u"Välj ordspråkfil: Radera markerad Hela listan"_s;

std::optional<double> g_factor;

} // namespace

void followFont(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const double grown =
        std::max(metrics.height() / kLaidOutHeight, metrics.horizontalAdvance(kSample) / kLaidOutSampleWidth);
    // A font within a few per cent of that one (another hinting, another build of it) keeps the windows as
    // they were laid out, to the pixel.
    g_factor = grown < 1.03 ? 1.0 : grown;
}

double factor()
{
    if (!g_factor)
        followFont(QApplication::font());
    return *g_factor;
}

int toPixels(int twips)
{
    return int(std::lround(twips * factor() / kPerPixel));
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

} // namespace tankedosan::widgets
