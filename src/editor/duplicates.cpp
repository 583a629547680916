// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "editor/duplicates.h"

#include "store/writtenform.h"

#include <QElapsedTimer>
#include <QHashFunctions>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace tankedosan::editor {

namespace duplicates {

namespace {

const QString kCrLf = u"\r\n"_s;

// Passes progress on no more often than every interval. Its callers ask no more once it said stop.
class Throttle
{
public:
    Throttle(const Progress &progress, int intervalMs)
        : m_progress(progress)
        , m_intervalMs(intervalMs)
    {
        m_timer.start();
    }

    bool operator()(qsizetype done)
    {
        if (!m_progress || (m_polled && m_timer.elapsed() < m_intervalMs))
            return true;
        m_polled = true;
        m_timer.restart();
        return m_progress(done);
    }

private:
    const Progress &m_progress;
    int m_intervalMs;
    QElapsedTimer m_timer;
    bool m_polled = false; // the first poll passes at once: a cancel may be waiting already
};

} // namespace

double leadingNumber(QStringView text)
{
    // Gathered first and converted whole: adding the digits one by one drifts, and "3.4999999999999999999",
    // which is 3.5 to a double, came out as 3 instead of 4.
    QByteArray number;
    bool point = false;
    for (QChar c : text) {
        if (c == u' ' || c == u'\t')
            continue;
        if (number.isEmpty() && (c == u'+' || c == u'-')) {
            number += char(c.unicode());
        } else if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            number += char(c.unicode());
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    // A sign or a point alone is no number (0); digits past any double give infinity, as their sum did.
    return number.toDouble();
}

std::optional<qsizetype> keyLength(double count)
{
    if (!(count > 0))
        return std::nullopt;
    // The default rounding mode rounds halves to the even neighbour.
    const double rounded = std::nearbyint(std::min(count, double(std::numeric_limits<int>::max())));
    return qsizetype(rounded);
}

QString key(QString line, std::optional<qsizetype> length)
{
    if (length && *length < line.size())
        line.truncate(*length);
    // Qt's general lower-casing costs about a microsecond per proverb once it meets an "ä"; a table of the same
    // mappings for Western European letters, and one character at a time for the rest, cost a tenth of that.
    static const auto latin1Lower = [] {
        std::array<char16_t, 0x100> table{};
        for (int c = 0; c < 0x100; ++c)
            table[c] = QChar(char16_t(c)).toLower().unicode();
        return table;
    }();
    char16_t *text = reinterpret_cast<char16_t *>(line.data());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x100)
            text[i] = latin1Lower[c];
        else if (!QChar::isSurrogate(c))
            text[i] = QChar::toLower(c);
        else
            return std::move(line).toLower(); // the rest the general way; lower case stays lower case
    }
    return line;
}

Report findByComparingAll(const store::LineStore &lines, std::optional<qsizetype> length, const Progress &progress)
{
    Report result;
    const qsizetype n = lines.size();
    // A key depends on its line alone, so each is made once rather than at every comparison.
    std::vector<QString> keys;
    keys.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        keys.push_back(key(lines.at(i), length));

    const auto cancelled = [&](qsizetype done) {
        return progress && !progress(done);
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (cancelled(i)) {
            result.cancelled = true;
            break;
        }
        QString group;
        bool found = false;
        for (qsizetype j = i; j < n; ++j) {
            if (cancelled(i)) {
                result.cancelled = true;
                break;
            }
            if (keys[j] == keys[i]) {
                group += lines.at(j) + kCrLf;
                if (j != i)
                    found = true;
                if (result.report.contains(group))
                    found = false;
            }
        }
        if (found)
            result.report += group + kCrLf + kCrLf;
        if (result.cancelled)
            break;
    }
    return result;
}

namespace {

// A line's key by its hash, and the line's index. Equal keys share a hash; lines whose hashes meet are compared
// by their keys afterwards, so a collision costs time, never a wrong group.
struct Entry
{
    size_t hash;
    qsizetype line;
    bool operator<(const Entry &other) const { return std::pair(hash, line) < std::pair(other.hash, other.line); }
};

// Step 1: the hash of every key, in one pass, sorted. Nothing when the one-pass grouping cannot give the
// comparing check's report: it can only when a group's text stands in the report solely as part of that very
// group, true when no line is empty and none holds a CR. Every way into the editor list keeps it so.
// A cancel stops the check before its line, as the comparing check stops before its line i: the groups that
// begin earlier are reported whole, members further on included, so every key is still hashed.
std::optional<std::vector<Entry>> hashKeys(const store::LineStore &lines, std::optional<qsizetype> length,
                                           Throttle &throttle, qsizetype &cancelledAt)
{
    const qsizetype n = lines.size();
    std::vector<Entry> entries;
    entries.reserve(n);
    cancelledAt = n;
    for (qsizetype i = 0; i < n; ++i) {
        if (cancelledAt == n && (i & 255) == 0 && !throttle(i))
            cancelledAt = i;
        QString line = lines.at(i);
        if (line.isEmpty() || line.contains(u'\r'))
            return std::nullopt;
        entries.push_back({qHash(key(std::move(line), length), size_t(0x9E3779B97F4A7C15ull)), i});
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Step 2: the groups of two or more lines with equal keys, each as its lines in list order, the groups in the
// order of their first lines.
std::vector<std::vector<qsizetype>> groupEqualKeys(const std::vector<Entry> &entries, const store::LineStore &lines,
                                                   std::optional<qsizetype> length)
{
    std::vector<std::vector<qsizetype>> groups;
    for (size_t begin = 0; begin < entries.size();) {
        size_t end = begin; // the first entry matches itself
        while (end < entries.size() && entries[end].hash == entries[begin].hash)
            ++end;
        if (end - begin >= 2) {
            std::vector<std::pair<QString, qsizetype>> members;
            members.reserve(end - begin);
            for (size_t k = begin; k < end; ++k)
                members.emplace_back(key(lines.at(entries[k].line), length), entries[k].line);
            // Stable: members of one key stay in list order.
            std::stable_sort(members.begin(), members.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            for (size_t a = 0; a < members.size();) {
                size_t b = a;
                while (b < members.size() && members[b].first == members[a].first)
                    ++b;
                if (b - a >= 2) {
                    std::vector<qsizetype> group;
                    group.reserve(b - a);
                    for (size_t k = a; k < b; ++k)
                        group.push_back(members[k].second);
                    groups.push_back(std::move(group));
                }
                a = b;
            }
        }
        begin = end;
    }
    std::sort(groups.begin(), groups.end(), [](const auto &a, const auto &b) { return a.front() < b.front(); });
    return groups;
}

// Step 3: the report of the groups that begin before the cancel, each group's lines and a blank line.
QString reportOf(const std::vector<std::vector<qsizetype>> &groups, const store::LineStore &lines,
                 qsizetype cancelledAt)
{
    QString report;
    for (const auto &group : groups) {
        if (group.front() >= cancelledAt)
            break;
        for (qsizetype line : group)
            report += lines.at(line) + kCrLf;
        report += kCrLf + kCrLf;
    }
    return report;
}

} // namespace

Report find(const store::LineStore &lines, std::optional<qsizetype> length, const Progress &progress, int intervalMs)
{
    Throttle throttle(progress, intervalMs);
    qsizetype cancelledAt = 0;
    const auto entries = hashKeys(lines, length, throttle, cancelledAt);
    if (!entries) {
        const bool cancelled = cancelledAt < lines.size();
        return findByComparingAll(lines, length,
                                  [&](qsizetype done) { return cancelled ? done < cancelledAt : throttle(done); });
    }
    Report result;
    result.cancelled = cancelledAt < lines.size();
    result.report = reportOf(groupEqualKeys(*entries, lines, length), lines, cancelledAt);
    return result;
}

QByteArray reportFileBytes(const QString &report)
{
    return store::encodeLines(QStringList{report});
}

} // namespace duplicates

} // namespace tankedosan::editor
