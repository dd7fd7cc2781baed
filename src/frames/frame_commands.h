// View > Frames and Edit > Frames: the operator picks a frame file, which the main window then
// shows read-only, or whose commentary it opens for editing.
#pragma once

struct FrameList;
class MainWindow;

// Shows the chosen frame read-only.
void ViewFrames(MainWindow& main, FrameList& frames);

// With a frame shown read-only: its commentary becomes editable, no dialog. Otherwise: the
// chosen frame is shown read-only (a second Edit then opens it for editing).
void EditFrameCommentary(MainWindow& main, FrameList& frames);
