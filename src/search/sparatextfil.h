#pragma once

#include "platform/platform.h"

#include <QString>

class QWidget;

// The prompt of the name box, two apostrophes on each side of the menu entry's name.
QString sparaTextfilPrompt();

// Saves a text that a window shows as name + ".txt" in the program folder: asks for the name ("Spara
// sökresultat"), asks before overwriting, writes the text and one CR LF by the store's encoding rule and
// confirms with the file's full path. Cancel or an empty name does nothing.
//
// `trapped` says whether the caller is the search window, whose failures were always reported; the
// quick-save window's were not, and a failure that ends the program loses the quick-save list. Both now see
// the standard error message and keep running, so the flag only documents the caller.
// `parent` is the window whose button started the flow; the boxes are modal over it.
void spara_textfil(platform::Platform &platform, QWidget *parent, const QString &text, bool trapped);
