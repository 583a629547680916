// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace tankedosan::store {

// A failure as the user sees it: a number and a Swedish description. The core never shows it; the window
// that ran the command does, through the standard error message.
struct Failure
{
    int number = 0;
    QString description;
    // Not an error but a refusal the user must read whole: the description is the entire message, shown
    // without "Ett fel uppstod." and a number.
    bool notice = false;

    friend bool operator==(const Failure &, const Failure &) = default;
};

// Failures of an operation that has no value of its own: none, or the failure. The compiler insists that
// every caller looks at it; one that means to drop it says so with (void).
class [[nodiscard]] MaybeFailure : public std::optional<Failure>
{
public:
    using std::optional<Failure>::optional;
    friend bool operator==(const MaybeFailure &a, const MaybeFailure &b)
    {
        return static_cast<const std::optional<Failure> &>(a) == static_cast<const std::optional<Failure> &>(b);
    }
};

// What can fail and has a value to give: the value, or the failure that kept it from one. As with MaybeFailure,
// the compiler insists that every caller looks at it.
template<class T>
class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    { }
    Result(Failure failure)
        : m_state(std::in_place_index<1>, std::move(failure))
    { }

    bool ok() const { return m_state.index() == 0; }
    // The value; only where ok().
    const T &operator*() const & { return std::get<0>(m_state); }
    T &&operator*() && { return std::get<0>(std::move(m_state)); }
    const T *operator->() const { return &std::get<0>(m_state); }
    // The failure, or none where there is a value.
    MaybeFailure failure() const { return ok() ? MaybeFailure() : MaybeFailure(std::get<1>(m_state)); }

private:
    std::variant<T, Failure> m_state;
};

// The numbers follow the classic BASIC run-time errors that users of such programs know from their messages.
// The descriptions are the program's own Swedish words: the operating system's text (English on most
// machines) never reaches the user.
namespace failures {
Failure invalidCall(); // 5
Failure overflow(); // 6
Failure tooLarge(const QString &path); // 7: past the bounds of bounds.h
Failure outOfMemory(); // 7: an allocation the system refused, anywhere in the program
Failure typeMismatch(); // 13
Failure cancelled(); // 18: the user stopped it; windows show nothing for it
Failure nameNotAllowed(const QString &name); // 52
Failure nameTooLong(const QString &name); // 52: a file of the name, or its temporary name, too long
Failure fileNotFound(const QString &path); // 53
Failure wouldChange(const QString &path); // 54: written back, the file would change where nobody edited it
Failure ioError(const QString &path); // 57
Failure diskFull(const QString &path); // 61
Failure inputPastEndOfFile(); // 62: a file read back held fewer lines than were written to it
Failure accessDenied(const QString &path); // 70
Failure pathAccessError(const QString &path); // 75: also anything that is not a regular file
Failure pathNotFound(const QString &path); // 76
Failure invalidPropertyValue(); // 380: a list position marked that does not exist

// Refusals to write back a file the program read earlier (notices, see Failure::notice): its read failed, so
// what the program holds is not the file; or another program has changed it since, as `what` says.
Failure notRead(const QString &path);
// A collection that another program keeps (fortune's index `path` and its text file): only read here.
Failure belongsToOtherProgram(const QString &path);
// A file listed as a collection that holds no text (a NUL in its first kilobyte) and is no index either.
Failure notACollection(const QString &path);
Failure changedSinceRead(const QString &path, const QString &what);
bool isChangedSinceRead(const Failure &failure);

// The failure an operating-system error number (errno, taken right after the call that failed) stands for,
// for the file at path. A missing file whose folder is missing too is a missing folder.
Failure fromSystemError(int errorNumber, const QString &path);
} // namespace failures

// The forms in which the program shows a failure, all made here.
enum class ErrorForm {
    Standard, // "Ett fel uppstod." CR LF number " - " description: every error trap's box (a notice: its description)
    OneLine, // the same on one line, for the terminal (a notice: its description)
    Find, // "Ett fel uppstod under sökning: " number " - " description: the editor's find, in its text box
    NumberOnly, // "Error " number: the search within the search results
    Deleting, // "Ett fel uppstod då filen skulle raderas!" CR LF number " - " description: the text-file window
    Numbered, // number " - " description: the text-file window's list, under the line "Ett fel uppstod."
};
QString errorMessage(const Failure &failure, ErrorForm form);
QString standardErrorMessage(const Failure &failure);

} // namespace tankedosan::store
