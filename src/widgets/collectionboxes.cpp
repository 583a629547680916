// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/collectionboxes.h"

#include "store/files.h"
#include "store/programfolder.h"

#include <QProgressDialog>

#include <algorithm>

namespace tankedosan::widgets {

LoadProgress::LoadProgress(QWidget *window, platform::Platform &platform, const QString &name)
    : m_window(window)
    , m_platform(platform)
    , m_name(name)
{
    m_clock.start();
}

LoadProgress::~LoadProgress() = default;

store::ReadProgress LoadProgress::callback()
{
    return [this](qint64 done, qint64 size) {
        if (m_clock.elapsed() < progressAfterMs)
            return true;
        if (!m_box) {
            m_box = std::make_unique<QProgressDialog>(QStringLiteral("Läser ''") + m_name + QStringLiteral("''..."),
                                                      QStringLiteral("Avbryt"), 0, 1000, m_window);
            m_box->setObjectName(QStringLiteral("progress"));
            m_box->setWindowTitle(QStringLiteral("Tankedosan"));
            m_box->setWindowModality(Qt::WindowModal);
            m_box->setMinimumDuration(0);
            m_box->setAutoReset(false);
            m_platform.setPointer(platform::Pointer::ArrowBusy);
        }
        // Of a file that grows meanwhile, more than its size is read.
        m_box->setValue(size > 0 ? int(std::min(done, size) * 1000 / size) : 0);
        m_platform.processEvents();
        return !m_box->wasCanceled();
    };
}

ChosenCollection readChosenCollection(QWidget *window, platform::Platform &platform, const QString &name)
{
    using Outcome = ChosenCollection::Outcome;
    ChosenCollection chosen;
    if ((chosen.failure = store::checkName(name))) {
        chosen.outcome = Outcome::Refused;
        return chosen;
    }
    chosen.path = store::collectionFile(name);
    if (!store::fileExists(chosen.path)) {
        chosen.outcome = Outcome::Missing;
        // Told while the load is still under way: the normal pointer comes back when the window has shown
        // what it has, as after any load.
        platform.messageBox(store::missingCollectionText(name), platform::Buttons::Ok, platform::Icon::Exclamation);
        return chosen;
    }
    LoadProgress progress(window, platform, name);
    store::Result<store::LineStore> read = store::readCollection(chosen.path, &chosen.stamp, progress.callback());
    chosen.failure = read.failure();
    if (read.ok())
        chosen.lines = *std::move(read);
    if (chosen.failure)
        chosen.outcome = *chosen.failure == store::failures::cancelled() ? Outcome::Cancelled : Outcome::Failed;
    return chosen;
}

} // namespace tankedosan::widgets
