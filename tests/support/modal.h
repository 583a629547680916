#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `inside` once a modal window is up, with that window, then `trigger` (which opens it and waits).
// `inside` must close the window; if none appeared, it is called with nullptr.
inline void whileModal(const std::function<void()> &trigger, const std::function<void(QWidget *)> &inside)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        inside(QApplication::activeModalWidget());
    });
    trigger();
    if (!ran)
        inside(nullptr);
}
