// The process-wide state: the configuration values, the change flag, the frame list and the
// transfer socket. One instance, App, lives for the whole run.
#pragma once

#include "core/settings.h"
#include "core/frame_list.h"
#include "sys/sys_net.h"

struct AppState : Settings {
    // Set when the language, the device address or the start-up search changed a value that
    // the shut-down must write back to Pelorin.cfg.
    int ConfigChanged = 0;
    FrameList Frames;
    sys::Socket TransferSocket = sys::kNoSocket;
    sys::Endpoint TransferPeer;  // where transfers send to; port 69 until a device answers
};

extern AppState App;
