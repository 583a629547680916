// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/failure.h"

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace tankedosan::cli {

// The exit status is grep's: 0 when something was printed, 1 when nothing was found, 2 on an error.
constexpr int kFound = 0, kNotFound = 1, kError = 2;

// Text to and from the bytes of the terminal: UTF-8, or the locale's character set when it is another (a
// character it lacks becomes its nearest likeness, or "?"). The C locale's ASCII counts as UTF-8: printing
// "?" for every å would help nobody.
QByteArray toTerminal(QStringView text);
QString fromTerminal(const char *bytes);

// Standard output, written in large blocks: a search may print a million proverbs.
class Printer
{
public:
    explicit Printer(FILE *file)
        : m_file(file)
    { }
    ~Printer() { flush(); }
    Printer(const Printer &) = delete;
    Printer &operator=(const Printer &) = delete;
    void line(QStringView text);
    void flush();
    // False when a write failed (a closed pipe, a full disk): the command then ends with status 2.
    bool finish();

private:
    FILE *m_file;
    QString m_buffer;
};

// "tankedosan: " and the text, on standard error.
void printError(const QString &text);
// The standard error message on one line: "Ett fel uppstod." number " - " description; a notice as it stands.
void printFailure(const store::Failure &failure);

} // namespace tankedosan::cli
