// How the operator left the inspection journal: its filter and its sort, kept for the next
// opening in the same run.
#pragma once

#include <string>

struct JournalView {
    std::u16string filter;
    int sortColumn = -1;  // -1: the frame list's own order (by name)
    bool descending = false;
};
