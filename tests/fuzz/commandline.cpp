// SPDX-License-Identifier: LicenseRef-Tankedosan
// The command line: the input split at NUL bytes into the arguments after the program's name.
#include "fuzz.h"

#include "cli/commandline.h"

#include <QDir>

#include <vector>

using namespace tankedosan::cli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::AllocationBound bound(size);
    QByteArray bytes = "tankedosan";
    if (size > 0)
        bytes.append('\0').append(QByteArrayView(data, qsizetype(size)));
    bytes += '\0';
    std::vector<char *> argv;
    for (qsizetype at = 0; at < bytes.size(); at = bytes.indexOf('\0', at) + 1)
        argv.push_back(bytes.data() + at);
    const QStringList arguments = argumentList(int(argv.size()), argv.data());
    FUZZ_CHECK(arguments.size() == qsizetype(argv.size()) && arguments[0] == u"tankedosan");

    using Action = CommandLine::Action;
    const CommandLine line = readCommandLine(arguments);
    const bool says = line.action == Action::Help || line.action == Action::Error || line.action == Action::Version;
    FUZZ_CHECK(says == !line.text.isEmpty() && line.text.endsWith(u'\n') == says);
    FUZZ_CHECK(line.action != Action::Error || line.text.startsWith(u"tankedosan: "));
    FUZZ_CHECK((line.action == Action::Number) == (line.number > 0));
    FUZZ_CHECK(line.action != Action::Import
               || (QDir::isAbsolutePath(line.importFile) && !line.collection.isEmpty() && line.collection != u"alla"));
    FUZZ_CHECK(line.folder.isEmpty() || QDir::isAbsolutePath(line.folder));
    FUZZ_CHECK(line.action == Action::Search || (!line.beginning && line.needle.isEmpty()));
    const Action reads[] = {Action::Random, Action::Search, Action::Number, Action::Import};
    FUZZ_CHECK(line.collection.isEmpty()
               || std::find(std::begin(reads), std::end(reads), line.action) != std::end(reads));
    const CommandLine again = readCommandLine(arguments);
    FUZZ_CHECK(again.action == line.action && again.text == line.text && again.folder == line.folder
               && again.collection == line.collection && again.needle == line.needle && again.number == line.number
               && again.importFile == line.importFile);
    return 0;
}
