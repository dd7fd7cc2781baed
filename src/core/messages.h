// The program's texts: numbered entries in three languages, and the current language's set.
#pragma once

#include "core/settings.h"

constexpr int kLanguageCount = 3;
constexpr int kMessageCount = 61;

// The texts of every language, in language order 0 Russian, 1 English, 2 Turkish.
extern const char16_t* const MessageTable[kLanguageCount][kMessageCount];

// The texts of the current language, by entry number.
extern const char16_t* CurrentTexts[kMessageCount];

// "2.04", shown in the caption and the About dialog.
extern const char16_t* const ProgramVersion;

// Makes `language` current. An unknown language shows the Russian texts; App.CurrentLanguage
// takes the given value in every case.
void SelectLanguageTexts(LanguageId language);

// Entry numbers the code refers to by name.
enum MessageId : int {
    kMsgMessage = 0,
    kMsgFrameFilter = 1,
    kMsgSettingsFilter = 2,
    kMsgPrev = 3,
    kMsgNext = 4,
    kMsgCaption = 22,
    kMsgError = 29,
    kMsgWarning = 30,
    kMsgEmergencyExit = 31,
    kMsgSocketNotOpen = 32,
    kMsgWinsockNotLaunched = 34,
    kMsgFramesReading = 35,
    kMsgFrame = 36,
    kMsgSelectAllFrames = 37,
    kMsgCancel = 38,
    kMsgNo = 39,
    kMsgLinkNotEstablished = 40,
    kMsgIpAddress = 44,
    kMsgCheckRange = 45,
    kMsgCurrentAddress = 46,
    kMsgAnswerExists = 47,
    kMsgNoAnswer = 48,
    kMsgSelectLanguage = 52,
    kMsgAboutTitle = 53,
    kMsgAboutVersion = 54,
    kMsgCopyright = 55,
    kMsgFrameTooLarge = 58,     // a frame longer than the transfer buffer
    kMsgFrameNotSaved = 59,     // a frame file that could not be written
    kMsgNotEnoughMemory = 60,   // no transfer buffer for reading frames
};
