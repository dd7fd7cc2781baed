// The process-wide state: the configuration values, the change flag, the frame list and the
// transfer socket. One instance, App, lives for the whole run; the application (app/) owns it,
// and what it calls gets the parts it needs as parameters.
#pragma once

#include "core/frame_list.h"
#include "core/journal_view.h"
#include "core/settings.h"
#include "sys/sys_net.h"

struct AppState : Settings {
    // Set when the language, the device address or the start-up search changed a value that
    // the shut-down must write back to Pelorin.cfg.
    int ConfigChanged = 0;
    FrameList Frames;
    // The journal's filter and sort, as the operator left them.
    JournalView Journal;
    sys::Socket TransferSocket = sys::kNoSocket;
};

extern AppState App;
