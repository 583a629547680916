// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/linestore.h"

#include <QString>

namespace tankedosan::import {

// What the import window may ask of the editor that opens it. The editor implements it; the import window holds
// only this, so it never reaches into the editor's controls, and the editor alone decides what a hand-over does
// to its count, its changed flag and its state.
class EditorLink
{
public:
    // Takes the line into the editor's list at its sorted place; the editor then shows its new count and is in its
    // changed state, so that "Spara" writes the line with the rest.
    virtual void takeLine(const QString &line) = 0;
    // Takes every line, as as many takeLine calls would, in one go.
    virtual void takeLines(const store::LineStore &lines) = 0;

protected:
    ~EditorLink() = default;
};

} // namespace tankedosan::import
