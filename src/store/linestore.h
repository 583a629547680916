// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

namespace tankedosan::store {

// How a search compares a line with what the user typed; letter case is ignored in both.
enum class Match { Beginning, Anywhere };
// The comparison every search makes, on a line already decoded: the line, joined (joinedLines) and in lower
// case, begins with or contains the needle in lower case.
bool textMatches(QStringView line, QStringView needle, Match match);
enum class LineEnds; // how a file's lines end (linesplitter.h)
// Bytes in the read form of a file, whose bytes decide how its lines end; or fortune's entries, each ended by
// CR LF and holding the line breaks of its poem or drawing as LF (fortuneEntries).
enum class ReadForm : unsigned char { File, Entries };

// A list of lines held as one block of text and an array of where each line lies in it: a million proverbs
// are two allocations, not a million. Text that is all Windows-1252 stays one byte per character, as it came
// from the file; other text is held as UTF-8. A line becomes a QString only when it is asked for.
//
// A search folds letter case as it reads, so no lower-case copy of the text is kept (nothing to fall out of
// step with an edit, and no second collection in memory): Windows-1252 text through a table of 256 bytes,
// UTF-8 text one character at a time, and only where the bytes show a match may begin. The outcome is
// exactly that of lower-casing the line and the needle with QString::toLower.
class LineStore
{
public:
    enum class Form : unsigned char { Windows1252, Utf8 };

    LineStore();
    LineStore(const LineStore &other);
    LineStore &operator=(const LineStore &other);
    LineStore(LineStore &&other) noexcept;
    LineStore &operator=(LineStore &&other) noexcept;
    ~LineStore();

    // The lines of a text file's bytes by the read form, in file order; empty lines are skipped unless
    // keepEmpty is set (the help text keeps its blank lines).
    static LineStore fromFileBytes(QByteArray bytes, bool keepEmpty = false);
    // The same, or nothing when the file holds more than maxLines lines (counted as kept): the count is taken
    // before anything is held for the lines, so a file of a billion line ends costs nothing to refuse.
    static std::optional<LineStore> fromFileBytesAtMost(QByteArray bytes, bool keepEmpty, qsizetype maxLines,
                                                        ReadForm form = ReadForm::File);
    // Every line of a file this program wrote from a store (toFileBytes), as it was: only CR LF ends a line,
    // however many LFs the lines hold (the scratch file of a search).
    static LineStore fromOwnFileBytes(QByteArray bytes);
    static LineStore fromStrings(const QStringList &lines);

    qsizetype size() const { return qsizetype(m_spans.size()); }
    bool isEmpty() const { return m_spans.empty(); }
    Form form() const { return m_form; }

    // False when the lines, written, would not read back as they are: the file held what no line can hold (a
    // UTF-16 file with half a surrogate pair or an odd last byte, shown as U+FFFD), or the LFs inside the lines
    // outnumber the lines, so that the written file would read as a Unix file and split them. No writer may
    // write such lines over a file. Removals, inserts, copies and reorderings keep the mark of the file.
    bool writesBackUnchanged() const;
    // Whether the file decoded exactly (the first half of the above); a list built from another carries it over.
    bool decodedExactly() const { return m_decodedExactly; }
    void setDecodedExactly(bool exactly) { m_decodedExactly = exactly; }

    // The whole line: copies, quick-save, search results and writes use this.
    QString at(qsizetype index) const;
    // What a view lays out of the line (see shown.h); a huge line is not decoded whole for it.
    QString shownAt(qsizetype index) const;
    // The same on one row, as a list shows it: a line that holds breaks joined (joinedLines).
    QString rowAt(qsizetype index) const;
    QStringList toStringList() const;

    // The lines at the given positions, in that order, as a store of their own; no line is decoded.
    LineStore reordered(const std::vector<qsizetype> &positions) const;

    void append(QStringView line);
    void insert(qsizetype index, QStringView line);
    void removeAt(qsizetype index);
    void clear();

    // Whether the line, in lower case, begins with or contains the needle in lower case. An empty needle
    // matches every line. A line that holds breaks is compared joined (joinedLines).
    bool matches(qsizetype index, QStringView needle, Match match) const;
    // The positions of every matching line, in list order, from `from` on.
    std::vector<qsizetype> findAll(QStringView needle, Match match, qsizetype from = 0) const;
    // The first matching line at or after `from`, or -1.
    qsizetype findFirst(QStringView needle, Match match, qsizetype from = 0) const;

    // The lines a store read from a collection file's bytes would hold (empty ones skipped), found in the bytes
    // themselves with no place held per line: the terminal draws one proverb of a million, or prints the few
    // that match, about as fast as the bytes can be read. The bytes must outlive it.
    class FileLines
    {
    public:
        explicit FileLines(QByteArrayView bytes);
        // Lines that end as `ends` says, whatever the bytes would decide.
        FileLines(QByteArrayView bytes, LineEnds ends);
        FileLines(QByteArrayView bytes, ReadForm form);
        // Whether the lines are fortune's entries, each with its own line breaks.
        bool holdsEntries() const { return m_entries; }
        // Counted when first asked, for a search needs no count.
        qsizetype size() const;
        // Whether there are more than `most` lines, without counting them where the bytes cannot hold so many.
        bool holdsMoreThan(qsizetype most) const;
        QString at(qsizetype index) const;
        // Every line that matches, in file order: the lines findAll on the store gives.
        void findAll(QStringView needle, Match match, const std::function<void(const QString &)> &hit) const;
        // The same lines as they lie in text(), undecoded.
        void findAllLines(QStringView needle, Match match, const std::function<void(QByteArrayView)> &hit) const;
        // The same while `hit` returns true.
        void findLinesWhile(QStringView needle, Match match, const std::function<bool(QByteArrayView)> &hit) const;
        // Where a count of the lines got to, to go on from there.
        struct Counted
        {
            const char *at = nullptr; // the beginning of text() when nothing is counted yet
            qsizetype lines = 0;
        };
        // The index among the lines (at() gives it back) of the line that begins at `lineBegin` in text(), counted
        // on from `counted`, which lies before it: lines are counted only as far as they are asked for.
        qsizetype indexAt(const char *lineBegin, Counted &counted) const;
        // The bytes, behind any byte-order mark, and bytes of them read as they read.
        QByteArrayView text() const { return m_text; }
        QString decoded(QByteArrayView bytes) const;

    private:
        LineEnds lineEnds() const;
        bool holdsBreaks() const;

        QByteArray m_decoded; // a UTF-16 file's text as UTF-8, which the store reads it as
        QByteArrayView m_text; // without its byte-order mark
        Form m_form = Form::Windows1252;
        mutable std::optional<LineEnds> m_lineEnds;
        mutable qsizetype m_size = -1; // not yet counted
        mutable std::optional<bool> m_breaks; // whether a line holds an LF, not yet known
        bool m_entries = false;
    };

    // The written form: every line followed by CR LF, in list order, by the store's encoding rule.
    QByteArray toFileBytes() const;

    // Bytes of text held, including the garbage that removals leave until the next compaction.
    qsizetype bufferBytes() const { return m_text.size(); }

private:
    struct Span
    {
        qsizetype begin;
        qsizetype size;
    };
    class Finder;

    QByteArrayView raw(qsizetype index) const;
    bool holdsBreaks() const;
    QByteArray encodeForStore(QStringView line);
    void convertToUtf8();
    void compactIfMostlyGarbage();
    static std::optional<LineStore> build(QByteArray bytes, bool keepEmpty, qsizetype maxLines, bool crLfOnly);

    QByteArray m_text;
    std::vector<Span> m_spans;
    qsizetype m_garbage = 0;
    Form m_form = Form::Windows1252;
    bool m_decodedExactly = true;
    // Whether a line holds an LF (most files' lines cannot): found when a search first needs it, and kept
    // true by an edit that brings one.
    mutable std::optional<bool> m_breaks;
};

} // namespace tankedosan::store
