// The part of a detector screenshot that is shown and printed: the left 139 pixel columns and
// the bottom 69 rows are the detector's own panels and are cut away; the strip is drawn 5
// pixels wider than it is.
#pragma once

struct FrameCrop {
    float sourceX, sourceY, sourceWidth, sourceHeight;
    float width, height;  // of the drawing, in the destination's units
    bool drawable;        // false for a picture too small to have anything left
};

inline FrameCrop CropFrame(float imageWidth, float imageHeight) {
    FrameCrop crop = {139, 0, imageWidth - 139, imageHeight - 69, imageWidth - 134, imageHeight - 69, false};
    crop.drawable = crop.sourceWidth > 0 && crop.sourceHeight > 0;
    return crop;
}
