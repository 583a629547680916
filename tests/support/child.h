// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QWidget>

// Whether the object belongs to the window itself (its menus included), not to a dialog made over it, whose
// controls may share names.
inline bool ownControl(const QObject *object, const QObject &window)
{
    for (const QObject *up = object->parent(); up && up != &window; up = up->parent())
        if (up->isWidgetType() && static_cast<const QWidget *>(up)->isWindow()
            && static_cast<const QWidget *>(up)->windowType() != Qt::Popup) // a menu is the window's own
            return false;
    return true;
}

// A control of a window by its object name, as a screen reader or automation finds it. A window without it stops
// the run on the spot: no test, measurement or picture may go on against the wrong control. Members of a control
// array share their name; `index` counts them in the order they were made.
template<class T>
T *child(const QObject &window, const char *name, qsizetype index = 0)
{
    QList<T *> found = window.findChildren<T *>(QString::fromUtf8(name));
    found.removeIf([&](const T *object) { return !ownControl(object, window); });
    if (index >= found.size())
        qFatal("%s has no %s \"%s\" number %lld", qPrintable(window.objectName()), T::staticMetaObject.className(),
               name, static_cast<long long>(index));
    return found.at(index);
}

// The same through a pointer, a std::optional or a smart pointer to the window.
template<class T, class Holder>
requires requires(const Holder &holder)
{
    static_cast<const QObject &>(*holder);
}
T *child(const Holder &window, const char *name, qsizetype index = 0)
{
    return child<T>(static_cast<const QObject &>(*window), name, index);
}
