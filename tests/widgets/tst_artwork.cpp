// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/artwork.h"

#include <QtTest>

using namespace tankedosan;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;

// The program's own pictures as they were drawn and looked at (the PNGs beside this file): a shape moved, left out
// or drawn at another size shows in many pixels, where the rasterizer's own rounding never does; a colour a shade
// off shows a little in many channels, where that rounding (a step or two of 255, which differs between the
// processor's vector paths) touches few.
class tst_artwork : public QObject
{
    Q_OBJECT

private slots:
    void picturesAsDrawn_data()
    {
        QTest::addColumn<int>("side");
        QTest::newRow("16 px, the thickest lines, no bubbles") << 16;
        QTest::newRow("24 px, the text of the thought") << 24;
        QTest::newRow("64 px") << 64;
    }
    void picturesAsDrawn()
    {
        QFETCH(int, side);
        const QString reference = QStringLiteral(TESTS_FOLDER) + u"/widgets/artwork-%1.png"_s.arg(side);
        const QImage drawn = widgets::boxPicture(side).toImage().convertToFormat(QImage::Format_ARGB32);
        if (qEnvironmentVariableIsSet("TANKEDOSAN_DRAW_REFERENCES"))
            QVERIFY(drawn.save(reference));
        const QImage expected = QImage(reference).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(drawn.size(), expected.size());
        int differing = 0, touched = 0;
        for (int i = 0; i < side * side; ++i) {
            const QRgb a = drawn.pixel(i % side, i / side), b = expected.pixel(i % side, i / side);
            for (const int shift : {0, 8, 16, 24}) { // blue, green, red, alpha
                const int by = qAbs(int(a >> shift & 0xff) - int(b >> shift & 0xff));
                differing += by > 24;
                touched += by > 2;
            }
        }
        QVERIFY2(differing == 0 && touched <= side / 2,
                 qPrintable(u"%1 pixel channels differ, %2 by more than 2"_s.arg(differing).arg(touched)));
        QCOMPARE(widgets::windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}}));
    }
};

QTEST_MAIN(tst_artwork)
#include "tst_artwork.moc"
