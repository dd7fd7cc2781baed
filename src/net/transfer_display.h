// What the operator sees while files come from the detector: a progress text, a bar for the
// file under way and one for the whole run, the pauses that let each of them show, and a
// message to close. The reading loops of frames and of settings speak to their dialogs only
// through a TransferDisplay, so that they run and are tested without a window.
#pragma once

#include <cstdint>
#include <string>

// Both bars run from 0 to 100. The file bar goes in ten steps of 10 once a file is stored; the
// overall bar steps once per file (100 / count, so it reaches 100 only when set at the end).
constexpr int kProgressRange = 100;
constexpr int kFileProgressStep = 10;
constexpr int kFileProgressSteps = 10;
// How long a notice about a file stays, and the pause after each step of the file bar (and
// before the bars go at the end). Each is measured from when it began, so that the time a wait
// overshoots (a scheduler tick, a repaint) is not added up over a hundred frames: the file
// bar's steps are due 10, 20, ... 100 ms after its first.
constexpr unsigned kNoticeMs = 300;
constexpr unsigned kFileStepPauseMs = 10;

inline int OverallProgressStep(int fileCount) { return fileCount > 0 ? kProgressRange / fileCount : 0; }

class TransferDisplay {
public:
    virtual ~TransferDisplay() = default;
    virtual void ShowText(const std::u16string& text) = 0;
    virtual void SetFileProgress(int position) = 0;
    virtual void StepFileProgress() = 0;
    virtual void StepOverallProgress() = 0;
    // Waits, showing what is there, until `milliseconds` after `since` (a sys::MonotonicMs()
    // time); at once when that has passed.
    virtual void Pause(uint64_t since, unsigned milliseconds) = 0;
    // Shows `text` in a message and waits until the operator has closed it.
    virtual void Tell(const std::u16string& text) = 0;
    // The program is to end (it was closed, or the session ends): the run starts no further
    // file; the one under way ends as it would.
    virtual bool StopRequested() = 0;
};

// A file came whole: the file bar fills in its ten steps, a pause after each, and is set full.
void FillFileProgress(TransferDisplay* display);
// A notice about a file in place of the progress text, left for the operator to read.
void ShowNotice(TransferDisplay* display, const std::u16string& notice);

// A TransferDisplay that passes each call on to `shown`, any object with the same calls: the
// dialogs' progress controls, which live in the windowing layer and know nothing of this one.
template <class Shown>
class TransferDisplayOn final : public TransferDisplay {
public:
    explicit TransferDisplayOn(Shown& shown) : shown_(shown) {}
    void ShowText(const std::u16string& text) override { shown_.ShowText(text); }
    void SetFileProgress(int position) override { shown_.SetFileProgress(position); }
    void StepFileProgress() override { shown_.StepFileProgress(); }
    void StepOverallProgress() override { shown_.StepOverallProgress(); }
    void Pause(uint64_t since, unsigned milliseconds) override { shown_.Pause(since, milliseconds); }
    void Tell(const std::u16string& text) override { shown_.Tell(text); }
    bool StopRequested() override { return shown_.StopRequested(); }

private:
    Shown& shown_;
};
