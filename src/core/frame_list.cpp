// The sorted list of the frame files in the frames folder.
#include "core/frame_list.h"

#include <algorithm>

#include "sys/sys.h"

std::vector<std::u16string> ListMatchingFiles(const std::u16string& pattern) {
    std::vector<std::u16string> names = sys::ListMatchingNames(pattern, kMaxFrames);
    // std::u16string compares code unit by code unit, which is the order wanted.
    std::sort(names.begin(), names.end());
    return names;
}

void FrameList::Rebuild() {
    Names = ListMatchingFiles(Folder + u"*.png");
    if (CurrentFrameIndex >= FrameCount()) CurrentFrameIndex = FrameCount() > 0 ? FrameCount() - 1 : 0;
    if (CurrentFrameIndex < 0) CurrentFrameIndex = 0;
}
