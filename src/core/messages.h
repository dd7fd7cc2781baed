// The program's texts: 58 numbered entries in three languages, then the program's own further texts,
// and the current language's set.
#pragma once

#include "core/settings.h"

constexpr int kLanguageCount = 3;
constexpr int kMessageCount = 77;

// The texts of every language, in language order 0 Russian, 1 English, 2 Turkish.
extern const char16_t* const MessageTable[kLanguageCount][kMessageCount];

// The texts of the current language, by entry number.
extern const char16_t* CurrentTexts[kMessageCount];

// "2.04", shown in the caption and the About dialog.
extern const char16_t* const ProgramVersion;

// Makes the texts of `language` current; an unknown language shows the Russian texts. The
// caller keeps the language itself (the configuration writes it back unchanged).
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
    kMsgFileNotFound = 41,
    kMsgFileNoLink = 42,
    kMsgFileOpenError = 43,
    kMsgIpAddress = 44,
    kMsgCheckRange = 45,
    kMsgCurrentAddress = 46,
    kMsgAnswerExists = 47,
    kMsgNoAnswer = 48,
    kMsgReadSettingsTitle = 49,
    kMsgRewriteDefaults = 50,
    kMsgSetAddressTitle = 51,
    kMsgSelectLanguage = 52,
    kMsgAboutTitle = 53,
    kMsgAboutVersion = 54,
    kMsgCopyright = 55,
    kMsgMonochromePrinter = 56,
    kMsgNoPrinter = 57,
    kMsgCommentaryNotSaved = 58,
    kMsgNotAFrame = 59,
    // Settings transfers and the detector's address
    kMsgSettingsNotStored = 60,     // file %s - not saved, the old copy is kept
    kMsgSettingsTooLong = 61,       // file %s - longer than %d bytes, not saved
    kMsgDefaultSent = 62,           // file %s - sent, %s bytes
    kMsgDefaultNotFound = 63,       // file %s - not in the Default folder
    kMsgDefaultNotReadable = 64,    // file %s - cannot be read, not sent
    kMsgDefaultNoAnswer = 65,       // file %s - the apparatus does not answer
    kMsgDefaultDeviceError = 66,    // file %s - the apparatus answered: %s
    kMsgAddressIncomplete = 67,     // Fill in all four numbers of the address.
    kMsgAddressNotUsable = 68,      // The address %s cannot be the apparatus address.
    // Reading frames
    kMsgFrameTooLarge = 69,     // a frame longer than the transfer buffer
    kMsgFrameNotSaved = 70,     // a frame file that could not be written
    kMsgNotEnoughMemory = 71,   // no transfer buffer for reading frames or settings
    // The commentary
    kMsgCommentaryUnreadable = 72,  // a commentary file there but not to be read
    kMsgQuitWithoutSaving = 73,     // the commentary cannot be saved: quit all the same?
    // Reading frames and settings
    kMsgFrameAlreadyStored = 74,    // a frame whose very bytes the frames folder holds
    kMsgSettingsFolderNotMade = 75, // file %s - not saved, the folder %s cannot be made
    kMsgSettingsNotSaved = 76,      // file %s - not saved (there was no old copy)
};
