// The start-up search for the detector (addresses .100 to .199 of the configured network), its
// texts and those of the connection status line.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t kFirstCandidateOctet = 100;
constexpr uint32_t kLastCandidateOctet = 199;
constexpr unsigned kStatusIntervalMs = 10000;
constexpr unsigned kSearchResultPauseMs = 1000;

// `ip` with its last octet replaced (host-order addresses, first octet highest).
uint32_t WithLastOctet(uint32_t ip, uint32_t octet);

// "IP address = 192.168.0.100" in the current language.
std::u16string StatusLineText(uint32_t ip);

// Line 1 of the search window: "Check IP address diapason <first> - <last>".
std::u16string SearchRangeText(uint32_t deviceIp);

// Line 2 once the search is over: "Current IP address - <candidate>" with " - answer exist"
// for the candidate that answered, or " - answer do not exist" after the last one.
enum class CandidateState { Answered, NoneAnswered };
std::u16string SearchCandidateText(uint32_t candidate, CandidateState state);
// Line 2 while all candidates are tried together: "Current IP address - <first> - <last>".
std::u16string SearchAllCandidatesText(uint32_t deviceIp);

// Tries every candidate of `deviceIp`'s network at once, each given the probe's wait. The
// address is the lowest that answered, or the last candidate when none did.
struct SearchResult {
    bool answered = false;
    uint32_t address = 0;
};
SearchResult SearchForDevice(uint32_t deviceIp);
