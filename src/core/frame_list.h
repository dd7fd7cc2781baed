// The sorted list of the frame files (PNG) in the frames folder, and the frame on screen.
#pragma once

#include <string>
#include <vector>

// Names (without folder) of every file matching a wildcard pattern, sorted by UTF-16 code
// units (case-sensitive; a prefix sorts first). A folder of years of frames is listed whole.
std::vector<std::u16string> ListMatchingFiles(const std::u16string& pattern);

struct FrameList {
    std::u16string Folder;  // the frames folder; ends in a backslash
    std::vector<std::u16string> Names;
    // Index of the frame the main window shows, browses from and prints.
    int CurrentFrameIndex = 0;

    int FrameCount() const { return static_cast<int>(Names.size()); }

    // The full path of frame `index` (0 <= index < FrameCount()).
    std::u16string PathOf(int index) const { return Folder + Names[static_cast<size_t>(index)]; }

    // Re-reads Folder + "*.png". The current index is kept, but never left outside a shorter
    // list.
    void Rebuild();
    // The same with the names of Folder + "*.png" as ListMatchingFiles has just given them.
    void Replace(std::vector<std::u16string> names);
};
