// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "platform/platform.h"
#include "store/collections.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace tankedosan::widgets {

// What a window shows the user while it reads the collection chosen in its box: the box for a missing file and
// the progress of a long read. Both the main window and the editor take a collection this way, so that they
// find the same file for a name and tell the same things on the way.

// A load that has not finished after this long shows how far it has come and can be cancelled; tests make
// it 0 to see that without a file of hundreds of megabytes.
inline int progressAfterMs = 2000;

// The progress of reading a collection for a window: past progressAfterMs a box over the window shows how
// far the read has come, with "Avbryt", which stops it (the read then fails with failures::cancelled()); the
// pointer becomes the arrow with the hourglass so that the button can be pressed.
class LoadProgress
{
public:
    LoadProgress(QWidget *window, platform::Platform &platform, const QString &name);
    ~LoadProgress();
    store::ReadProgress callback();

private:
    QWidget *m_window;
    platform::Platform &m_platform;
    QString m_name;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_box;
};

// The collection chosen in a window's box, read for that window.
struct ChosenCollection
{
    // Refused: the name is not one a collection may have (`failure` says why). Missing: no file has the name,
    // and the user has been told. Cancelled: the user stopped the read. Failed: the read failed (`failure`),
    // and `lines` holds nothing.
    enum class Outcome { Read, Refused, Missing, Cancelled, Failed } outcome = Outcome::Read;
    QString path;
    store::LineStore lines;
    store::FileStamp stamp;
    store::MaybeFailure failure;
};
ChosenCollection readChosenCollection(QWidget *window, platform::Platform &platform, const QString &name);

} // namespace tankedosan::widgets
