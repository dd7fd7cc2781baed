// The connection status line and the start-up search.
#include "mainwnd/status_line.h"

#include "core/messages.h"
#include "mainwnd/device_search.h"
#include "mainwnd/message_wnd.h"
#include "mainwnd/window_scale.h"
#include "res/resource.h"
#include "sys/sys.h"
#include "ui/dpi.h"
#include "ui/transfer_wait.h"
#include "ui/wide.h"

namespace {

constexpr UINT_PTR kStatusTimerId = 1;
// While a probe is open, it is looked at this often, without waiting.
constexpr UINT_PTR kProbeCheckTimerId = 2;
constexpr UINT kProbeCheckMs = 10;

}  // namespace

StatusLine::~StatusLine() { EndProbe(probe_); }

void StatusLine::Start(HWND window, const sys::Endpoint& address) {
    window_ = window;
    address_ = address;
    Probe(address);
    SetTimer(window_, kStatusTimerId, kStatusIntervalMs, nullptr);
}

bool StatusLine::OnTimer(UINT_PTR id, const sys::Endpoint& address) {
    if (id == kStatusTimerId) Probe(address);
    else if (id == kProbeCheckTimerId && probe_.Open()) Check();
    else return id == kProbeCheckTimerId;
    return true;
}

void StatusLine::Probe(const sys::Endpoint& address) {
    // The last probe has long had its wait, yet a busy machine may not have let its checks
    // look at it: it is looked at now, and whatever is not answered by now did not answer.
    if (probe_.Open())
        Show(CheckProbe(probe_, sys::MonotonicMs()) == ProbeOutcome::Answered ? ProbeOutcome::Answered
                                                                              : ProbeOutcome::NoAnswer);
    probe_ = StartProbe(address);
    SetTimer(window_, kProbeCheckTimerId, kProbeCheckMs, nullptr);
    Check();
}

void StatusLine::Check() {
    const ProbeOutcome outcome = CheckProbe(probe_, sys::MonotonicMs());
    if (outcome != ProbeOutcome::Pending) Show(outcome);
}

void StatusLine::Show(ProbeOutcome outcome) {
    EndProbe(probe_);
    KillTimer(window_, kProbeCheckTimerId);
    address_ = probe_.address;
    connectionStatus_ = outcome == ProbeOutcome::Answered ? 1 : 0;
    Invalidate();
}

void StatusLine::SetScale(double scale) {
    scale_ = scale;
    font_ = ui::DefaultFontOfSize(FontsAt(scale).system.height, FontsAt(scale).system.width);
    if (window_) Invalidate();
}

void StatusLine::Invalidate() const {
    RECT client;
    GetClientRect(window_, &client);
    const FieldRect s = StatusStripAt(client.bottom, scale_);
    RECT strip = {s.left, s.top, s.right, s.bottom};
    InvalidateRect(window_, &strip, TRUE);
}

void StatusLine::Paint(HDC dc, const RECT& client) const {
    std::u16string text = StatusLineText(address_.ip);
    const FieldRect strip = StatusStripAt(client.bottom, scale_);
    const ui::Selection font(dc, font_.get());
    SetBkMode(dc, OPAQUE);
    if (connectionStatus_ == 1) {
        SetBkColor(dc, RGB(0, 255, 255));
        SetTextColor(dc, RGB(0, 0, 0));
    } else {
        SetBkColor(dc, RGB(255, 0, 0));
        SetTextColor(dc, RGB(255, 255, 255));
    }
    TextOutW(dc, client.left + strip.left, strip.top, W(text), static_cast<int>(text.size()));
}

bool RunStartupSearch(HWND mainWindow, uint32_t deviceIp, const std::function<void(uint32_t)>& adopt, double scale) {
    RECT client;
    GetClientRect(mainWindow, &client);
    const FieldRect at = MessageWindowAt(client.right, client.bottom, scale);
    const RECT place = {at.left, at.top, at.right, at.bottom};
    CMessageWnd messageWnd(scale);
    messageWnd.Create(L"Output", W(CurrentTexts[kMsgMessage]), WS_CHILD | WS_VISIBLE | WS_CAPTION, place,
                      mainWindow, IDC_MESSAGE_WINDOW);
    HWND box = messageWnd.hwnd();
    std::u16string line = SearchRangeText(deviceIp);
    SendMessageW(box, UM_SETLINE1, reinterpret_cast<WPARAM>(W(line)), 0);
    line = SearchAllCandidatesText(deviceIp);
    SendMessageW(box, UM_SETLINE2, reinterpret_cast<WPARAM>(W(line)), 0);
    UpdateWindow(box);

    const SearchResult result = SearchForDevice(deviceIp);
    line = SearchCandidateText(result.address, result.answered ? CandidateState::Answered : CandidateState::NoneAnswered);
    SendMessageW(box, UM_SETLINE2, reinterpret_cast<WPARAM>(W(line)), 0);
    UpdateWindow(box);
    if (result.answered) adopt(result.address);
    // The result stays the time it is meant to, however long one wait of the system lasts.
    ui::WaitUntil(sys::MonotonicMs() + kSearchResultPauseMs);
    messageWnd.Destroy();
    return result.answered;
}
