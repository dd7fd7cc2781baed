// Reading picked frames from the detector into the frames folder, the portable part. Each
// frame comes over TFTP into one buffer and goes into a file of its own, written under a
// temporary name and renamed into place only when it is complete, so that the frame list
// never shows half a frame. What the operator sees goes through a TransferDisplay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/device_link.h"
#include "net/transfer_display.h"

// The transfer buffer: any frame the detector can hold fits, a 640 x 480 PNG at its worst.
constexpr uint32_t kFrameBufferSize = 4000000;

enum class FrameOutcome {
    Stored,      // in the frames folder, whole
    NotOnDevice, // the detector answered that it holds no such frame
    NoLink,      // no answer, or none that made sense
    TooLarge,    // longer than the transfer buffer; not stored
    NotSaved,    // read, but its file could not be written
    AlreadyStored,  // read, and the frames folder already holds a file of it with the same bytes
    Abandoned,   // the program ended while it came: not stored, nothing shown; the run ends here
};

struct FrameReadRequest {
    std::vector<int> frames;      // the picked numbers, ascending
    std::u16string framesPath;    // ends in a backslash; made (one level) when missing
    DeviceLink link;
};

// Reads the frames one after another, showing each one's progress and any notice about it,
// and says in `outcomes` (when given) what came of each. Once the display says the program is to
// end, no further frame is started. The detector keeps its frames until
// they are erased there, so the same pictures come again at every reading: a frame whose bytes
// a file of the same number in the frames folder already holds is not stored again. False, with nothing sent or shown,
// when the transfer buffer cannot be had.
bool ReadFrames(const FrameReadRequest& request, TransferDisplay* display, std::vector<FrameOutcome>* outcomes);
