// "The same again": the inspection fields from the nearest earlier frame.
#include "mainwnd/commentary_fill.h"

bool DescribesInspection(int field) {
    switch (field) {
        case 3:   // defect coordinates
        case 4:   // note
        case 10:  // defect type
        case 11:  // additional information
            return false;
        default:
            return field >= 0 && field < kFieldCount;
    }
}

bool FindEarlierInspection(int current, const std::function<LoadedCommentary(int)>& load, CommentaryTexts* found) {
    for (int frame = current - 1; frame >= 0; --frame) {
        const LoadedCommentary loaded = load(frame);
        if (loaded.state != CommentaryState::Read) continue;
        for (int field = 0; field < kFieldCount; ++field) {
            if (DescribesInspection(field) && !loaded.texts[field].empty()) {
                *found = loaded.texts;
                return true;
            }
        }
    }
    return false;
}

CommentaryTexts FillInspectionFields(const CommentaryTexts& typed, const CommentaryTexts& earlier) {
    CommentaryTexts filled = typed;
    for (int field = 0; field < kFieldCount; ++field)
        if (DescribesInspection(field) && filled[field].empty()) filled[field] = earlier[field];
    return filled;
}
