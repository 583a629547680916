// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/linestore.h"
#include "store/commandline.h"
#include "store/programfolder.h"

#include <QByteArray>
#include <QString>

#include <random>

namespace store {

// The commands that answer in the terminal: --help, --version, a refused command line, and the commands on
// the collections (--slump, --sök, --nummer, --samlingar, --importera). They read the same folder and files
// as the windows, by the same rules; only --importera writes a collection, as the editor's "Spara" does. Output is UTF-8, or the locale's encoding when
// that is another; errors go to standard error in Swedish, with the numbers the windows show. The exit
// status is grep's: 0 when something was printed, 1 when nothing was found, 2 on an error.
int runInTerminal(const CommandLine &commandLine);

// Text to and from the bytes of the terminal: UTF-8, or the locale's character set when it is another (a
// character it lacks becomes its nearest likeness, or "?"). The C locale's ASCII counts as UTF-8: printing
// "?" for every å would help nobody.
QByteArray toTerminal(QStringView text);
QString fromTerminal(const char *bytes);

// One proverb drawn at random from one or more collections, every proverb of them equally likely (so a
// collection is drawn in proportion to its size): each collection is offered in turn and replaces the draw
// so far with the chance that its share of the proverbs seen gives. Only one collection is held at a time.
class ProverbDraw
{
public:
    explicit ProverbDraw(std::uint64_t seed);
    // Offers a collection of `size` proverbs; true when the draw falls on it now, at drawn().
    bool offer(qsizetype size);
    // The same for the lines of a file, whose proverb at drawn() is then the proverb.
    bool offer(const LineStore::FileLines &lines);
    qsizetype drawn() const { return m_drawn; }
    void setProverb(const QString &proverb) { m_proverb = proverb; }
    // A draw anew over the same collections, the random numbers going on.
    void restart();
    std::uint64_t next() { return m_random(); }
    bool isEmpty() const { return m_seen == 0; }
    const QString &proverb() const { return m_proverb; }

private:
    std::mt19937_64 m_random;
    qsizetype m_seen = 0;
    qsizetype m_drawn = 0;
    QString m_proverb;
};

} // namespace store
