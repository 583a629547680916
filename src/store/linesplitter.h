// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QtGlobal>

#include <cstring>

#include <QStringView>

namespace tankedosan::store {

// The one rule of where a line ends, for the line store, the lines of a file read in place and the views of
// text. Used inside the store only.

inline const char *findChar(const char *p, const char *end, char c)
{
    if (p == end)
        return end; // p may be null there
    const auto *found = static_cast<const char *>(std::memchr(p, c, size_t(end - p)));
    return found ? found : end;
}

inline const char16_t *findChar(const char16_t *p, const char16_t *end, char16_t c)
{
    const qsizetype at = QStringView(p, end - p).indexOf(QChar(c));
    return at < 0 ? end : p + at;
}

// Which bytes end a line. A file that this program or a Windows editor wrote ends its lines with CR LF (or a
// CR alone), and an LF inside such a line is text. A file whose lone LFs outnumber its CRs comes from a Unix
// tool, perhaps with a line or two from a Windows editor: there CR LF, CR and LF each end a line, so one
// CR LF line does not make the rest one giant line.
enum class LineEnds { Classic, Unix };

// The line ends of the text [p, end): a Unix text's when its lone LFs outnumber its CRs.
LineEnds lineEndsOf(const char *p, const char *end);

// Whether [p, end) holds an LF that no CR comes just before: in a text of classic line ends, a line that
// holds a break.
bool holdsLoneLf(const char *p, const char *end);

inline LineEnds lineEndsIf(bool unix)
{
    return unix ? LineEnds::Unix : LineEnds::Classic;
}

// The lines of a text by the read form, one after another: the only place where a line end is told. A line
// ends at CR LF or at a CR alone, and in a Unix text also at an LF alone; anywhere else an LF is text. The
// last line counts without a line end, and a text that ends in one has no empty line after it. A text view
// splits its text the same way, as a Unix text (every CR and LF breaks a line there).
template<typename Char>
class LineSplitter
{
public:
    // `p` must begin a line: the start of the text, or where next() left off.
    LineSplitter(const Char *p, const Char *end, LineEnds ends)
        : m_p(p)
        , m_end(end)
        , m_unix(ends == LineEnds::Unix)
        , m_lf(m_unix ? findChar(p, end, Char('\n')) : end)
    { }

    // The next line [begin, end), without its line end; false after the last.
    bool next(const Char *&begin, const Char *&end)
    {
        if (m_p == m_end)
            return false;
        begin = m_p;
        if (m_unix && m_lf < m_p)
            m_lf = findChar(m_p, m_end, Char('\n'));
        // An empty line is taken without a search: a file of a million line ends is a million of them.
        const Char *cr = *m_p == Char('\r') ? m_p : findChar(m_p, m_lf, Char('\r'));
        if (cr < m_lf) {
            end = cr;
            m_p = cr + 1;
            if (m_p < m_end && *m_p == Char('\n'))
                ++m_p; // CR LF is one line end
        } else {
            end = m_lf;
            m_p = m_lf < m_end ? m_lf + 1 : m_end;
        }
        return true;
    }

private:
    const Char *m_p;
    const Char *m_end;
    bool m_unix;
    const Char *m_lf; // the next LF of a Unix text at or after m_p (or before, once passed); m_end in a classic one
};

// The line that holds the byte at `at`, by the same rule, found from there rather than walked to: a search
// that finds a hit near the end of a million lines reads only the line around it. lineEndFrom gives where it
// ends (its first CR from `at` on, or in a Unix text its first CR or LF; `end` when there is none);
// lineBeginBefore where it begins (after the line end before `at`, both bytes of a CR LF), which lies past
// `at` when `at` is the LF of a CR LF.
template<typename Char>
const Char *lineEndFrom(const Char *at, const Char *end, LineEnds ends)
{
    // The LF first: a Unix text may hold no CR at all, and a look for one would run to its end at every hit.
    const Char *lf = ends == LineEnds::Unix ? findChar(at, end, Char('\n')) : end;
    return findChar(at, lf, Char('\r'));
}

template<typename Char>
const Char *lineBeginBefore(const Char *begin, const Char *at, LineEnds ends)
{
    const Char *p = at;
    while (p > begin && p[-1] != Char('\r') && (ends == LineEnds::Classic || p[-1] != Char('\n')))
        --p;
    return p > begin && p[-1] == Char('\r') && *p == Char('\n') ? p + 1 : p;
}

// How many lines of [p, end) are not empty, and where the one of a given index among them begins (`end` when
// there are not that many): counted by the bytes, many at a time, for the terminal to weigh or draw from a
// million lines without walking them one by one.
qsizetype countNonEmptyLines(const char *p, const char *end, LineEnds ends);
// The non-empty lines of the text at `text` that begin in [from, to), judged by the bytes before `from` too.
qsizetype countNonEmptyLines(const char *text, const char *from, const char *to, LineEnds ends);
const char *nonEmptyLineAt(const char *p, const char *end, LineEnds ends, qsizetype index);

// Every line of [p, end) to take(begin, end).
template<typename Char, typename Take>
void forEachLine(const Char *p, const Char *end, LineEnds ends, Take take)
{
    LineSplitter<Char> lines(p, end, ends);
    const Char *begin = nullptr, *lineEnd = nullptr;
    while (lines.next(begin, lineEnd))
        take(begin, lineEnd);
}

} // namespace tankedosan::store
