#pragma once

#include <QString>

// One benchmark per area of the program, run one after the other by bench/run.sh. Each measures in child
// processes of this executable, so a child's peak memory is that of the one thing it measures.
namespace bench {

// Loading a collection into the main window and stepping through it, against iconv.
int runLoading();
int runLoadingChild(int argc, char **argv, int lines, const QString &folder);

// Searching a collection in both modes, against grep -ci and against lower-casing every entry per search.
int runSearch();
int runSearchChild(int argc, char **argv, int lines, const QString &folder);

} // namespace bench
