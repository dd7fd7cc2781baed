// Texts and candidates of the start-up search and the status line.
#include "mainwnd/device_search.h"

#include "core/messages.h"
#include "core/text_format.h"
#include "core/ip_address.h"
#include "net/probe.h"

#include <vector>

uint32_t WithLastOctet(uint32_t ip, uint32_t octet) { return (ip & 0xFFFFFF00u) | (octet & 0xFFu); }

std::u16string StatusLineText(uint32_t ip) {
    return FormatText(u"%s = %s", {CurrentTexts[kMsgIpAddress], Widen(FormatIpAddress(ip))});
}

std::u16string SearchRangeText(uint32_t deviceIp) {
    return FormatText(CurrentTexts[kMsgCheckRange], {Widen(FormatIpAddress(WithLastOctet(deviceIp, kFirstCandidateOctet))),
                                                     Widen(FormatIpAddress(WithLastOctet(deviceIp, kLastCandidateOctet)))});
}

std::u16string SearchAllCandidatesText(uint32_t deviceIp) {
    const std::string range = FormatIpAddress(WithLastOctet(deviceIp, kFirstCandidateOctet)) + " - " +
                              FormatIpAddress(WithLastOctet(deviceIp, kLastCandidateOctet));
    return FormatText(CurrentTexts[kMsgCurrentAddress], {Widen(range)});
}

SearchResult SearchForDevice(uint32_t deviceIp) {
    std::vector<sys::Endpoint> candidates;
    for (uint32_t octet = kFirstCandidateOctet; octet <= kLastCandidateOctet; ++octet)
        candidates.push_back({WithLastOctet(deviceIp, octet), kProbePort});
    const int found = FirstAnswering(candidates.data(), candidates.size(), kProbeWaitMs);
    if (found < 0) return {false, candidates.back().ip};
    return {true, candidates[found].ip};
}

std::u16string SearchCandidateText(uint32_t candidate, CandidateState state) {
    std::u16string text = FormatText(CurrentTexts[kMsgCurrentAddress], {Widen(FormatIpAddress(candidate))});
    if (state == CandidateState::Answered) text += CurrentTexts[kMsgAnswerExists];
    if (state == CandidateState::NoneAnswered) text += CurrentTexts[kMsgNoAnswer];
    return text.substr(0, kTextBufferLength - 1);
}
