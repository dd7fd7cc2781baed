// "The same again": the fields that describe the inspection rather than the defect, taken over
// from the nearest earlier frame whose commentary can be read, where the operator left them
// empty.
#pragma once

#include <functional>

#include "mainwnd/commentary_file.h"

// Item, monitoring date, operator, operator code, object type, number, material and thickness;
// not the defect's coordinates, the note, the defect type or the additional information.
bool DescribesInspection(int field);

// The texts that frame `current` of the list takes over: the commentary of the nearest frame
// before it (`load` reads frame i's) that could be read and describes an inspection; a frame
// without a commentary file, with one that cannot be read, or with one whose inspection fields
// are all empty (a frame only passed through while editing) is passed over. False when no
// earlier frame has one.
bool FindEarlierInspection(int current, const std::function<LoadedCommentary(int)>& load, CommentaryTexts* found);

// `typed` with every empty inspection field given `earlier`'s text; a field the operator typed
// into, and every defect field, stays as it is.
CommentaryTexts FillInspectionFields(const CommentaryTexts& typed, const CommentaryTexts& earlier);
