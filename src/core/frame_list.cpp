// The sorted list of the frame files in the frames folder.
#include "core/frame_list.h"

#include <algorithm>
#include <utility>

#include "sys/sys.h"

std::vector<std::u16string> ListMatchingFiles(const std::u16string& pattern) {
    // Every name: the system gives them in name order, so a limit would drop the newest frames.
    std::vector<std::u16string> names = sys::ListMatchingNames(pattern);
    // std::u16string compares code unit by code unit, which is the order wanted; std::sort keeps
    // tens of thousands of names quick.
    std::sort(names.begin(), names.end());
    return names;
}

void FrameList::Rebuild() { Replace(ListMatchingFiles(Folder + u"*.png")); }

void FrameList::Replace(std::vector<std::u16string> names) {
    Names = std::move(names);
    if (CurrentFrameIndex >= FrameCount()) CurrentFrameIndex = FrameCount() > 0 ? FrameCount() - 1 : 0;
    if (CurrentFrameIndex < 0) CurrentFrameIndex = 0;
}
