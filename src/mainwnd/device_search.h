// The start-up search for the detector (addresses .100 to .199 of the configured network) and
// the texts of the connection status line.
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

// Line 2: "Current IP address - <candidate>", with " - answer exist" once it answered, or
// " - answer do not exist" when the last one did not.
enum class CandidateState { Probing, Answered, NoneAnswered };
std::u16string SearchCandidateText(uint32_t candidate, CandidateState state);
