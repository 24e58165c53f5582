#pragma once
// The serialization engine's state: the coming serial number, the history
// as loaded, the pending SN list and the texts the main window, the
// procedures and the dialogs share. One instance, reset with the rest of the
// program's state.

#include "platform/file_tail.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace gui {

// SN types (SNDispFormatIndex) and byte modes (SNMemFormatIndex).
inline constexpr int32_t kSnTypeYear = 0;
inline constexpr int32_t kSnTypeYearMonth = 1;
inline constexpr int32_t kSnTypeNumber = 2;
inline constexpr int32_t kSnTypeCounter = 3;
inline constexpr int32_t kSnTypeYearDay = 4;
inline constexpr int32_t kSnTypeDate = 5;
inline constexpr int32_t kSnTypeCustom = 6;
inline constexpr int32_t kSnTypeFromFile = 7;

inline constexpr int32_t kSnModeHexMswFirst = 0;
inline constexpr int32_t kSnModeBcd = 1;
inline constexpr int32_t kSnModeAscii = 2;
inline constexpr int32_t kSnModeHexLswFirst = 3;
inline constexpr int32_t kSnModeHexMsbFirst = 4;

// SnStatus bits.
inline constexpr int32_t kSnStatusNew = 1;
inline constexpr int32_t kSnStatusManual = 2;
inline constexpr int32_t kSnStatusUnchanged = 4;
inline constexpr int32_t kSnStatusOverwritten = 8;

// SnEditChoice: the SN the operator takes in the SN editor.
inline constexpr int32_t kSnEditTargetSn = 1; // the one the target carries
inline constexpr int32_t kSnEditComingSn = 2; // the coming one
inline constexpr int32_t kSnEditEditedSn = 3; // one typed in the editor

inline constexpr size_t kSnTextMax = 775;   // SerialNumberText
inline constexpr size_t kSnCustomMax = 263; // SnCustomText, SnListText, SnReadBackText
inline constexpr size_t kSnEditResultMax = 258;

// The SN list file's entries not used yet, one per line; a used entry's first
// character is ';'.
struct SnPendingListState {
    std::string text;
    size_t readPos = 0;
    int32_t loaded = 0;      // the file had "#SN_LIST"
    int32_t accepted = 0;    // entries taken into the list
    int32_t alreadyUsed = 0; // refused: the history holds them
    int32_t wrongLength = 0; // refused: length other than Custom_SN_size, a refused character,
                             // or a line over 1024 characters or holding a control character
    int32_t remaining = 0;   // live entries at the last count
    // Refused: entries whose bytes would read as blank flash, by name.
    std::vector<std::string> blank;
};

// What the coming SN is (SnComing): a number that can be written, none
// (the type and byte mode have no number left after the history's last),
// or unknown (the history cannot be read, or holds a line it cannot tell).
inline constexpr int32_t kSnComingWritable = 0;
inline constexpr int32_t kSnComingExhausted = 1;
inline constexpr int32_t kSnComingUnknown = 2;

// What this station has taken in of a file that other stations append to:
// which file it was, how many of its bytes (whole lines only), the last of
// those bytes (a file rewritten in place shows there) and the lines
// counted so far, as the report numbers them.
struct SnSharedFileState {
    platform::FileIdentity id;
    uint64_t size = 0;  // at the last look: more than taken when a line is unfinished
    uint64_t taken = 0; // whole lines read
    std::string tail;
    int32_t lines = 0;
    // The file and its size right after a record write of this station
    // stopped half way (tornEnd 0: none): the next append marks that torn
    // record as such.
    platform::FileIdentity tornId;
    uint64_t tornEnd = 0;
};

// The claims of every station on this history (the claims file beside
// it): numbers claimed, not released and not yet in the history, by key
// (the type digit, ':' and the SN as compared: a number's value, a custom
// SN in lower case), each with its record text ("F3 \t00005").
struct SnClaimsState {
    SnSharedFileState file;
    std::unordered_map<std::string, std::string> live;
    // This station's claim for its current run ("" none): it ends with the
    // run's history record, is released when the run ended before the SN
    // could reach the board, and otherwise stays claimed for good.
    std::string heldKey;
    std::string heldType;
    std::string heldSn;
};

struct SerialNumberState {
    uint32_t NextSerialNumber = 0;
    int32_t SnDateParts[5] = {2000, 0, 1, 1, 1}; // year, yy, month, day, day of year
    std::string SerialNumberText;                // the SN being written
    std::string SnCustomText;                    // the coming custom SN (type 6)
    std::string SnReadBackText;                  // the SN decoded from a target
    std::string SnListText;                      // the coming SN of the list (type 7)
    int32_t SnStatus = kSnStatusNew;
    int32_t ManualSnFlag = 0;  // the SN field was written by the operator or a scan
    int32_t SnFromBarcode = 0; // 1 while AUTO PROGRAM runs for a scanned number
    std::string SnHistoryText; // per record: type token, SN (and status when appended), CR LF
    size_t SnHistoryPos = 0;
    // The history file is there but could not be read whole: its numbers are
    // unknown, so no number may be given out or written until it reads again.
    int32_t SnHistoryUnreadable = 0;
    std::string SnHistoryUnreadableWhy; // "it is a folder, not a file."
    // The first history line that is neither a record nor blank (its number
    // as the report counts lines, 0 for none) and why: the numbers it may
    // hide are unknown, for every type.
    int32_t SnHistoryBadLine = 0;
    std::string SnHistoryBadWhy;
    SnSharedFileState SnHistoryFile; // what of the history file SnHistoryText holds
    SnClaimsState SnClaims;
    int32_t SnComing = kSnComingWritable;
    int32_t SnRefusal = 0;  // why the last SN was refused (sn_format.h kSnRefused...)
    std::string SnClaimWhy; // why the last claim failed, for the report
    // Per SN type 0..5: the report line number (as the history listing
    // counts them) of the first record whose number that type cannot hold,
    // 0 for none. Such a record leaves the type's next SN unknown.
    int32_t SnHistoryOutOfRange[8] = {};
    std::string SnHistoryListing; // the numbered report listing of the history file
    SnPendingListState SnPendingList;
    uint8_t SnReadBack[256] = {};
    int32_t SnFoundFlag = 0; // the last read-back found an SN in the target
    int32_t SnTextLength = 10;
    int32_t ModelTextMode = 0; // 0 Ascii, 1 Hex
    int32_t SnEditChoice = 2;  // 1 target's SN, 2 new SN, 3 edited SN
    int32_t SnEditCancelled = 0;
    std::string SnEditResultText; // the SN the editor chose, for the SN field

    void Reset() { *this = SerialNumberState{}; }
};

extern SerialNumberState SerialNumber;

// SerialNumberTextLength, then the length: the characters the SN field and a
// bar-code scan take.
int32_t SnTextLength();

// Sets SerialNumber.SnTextLength from the SN type: 10; type 3: 5; type 4:
// 10; type 5: 11; types 6 and 7: Custom_SN_size; never above 256.
void SerialNumberTextLength();

// Drops the loaded history, then computes and packs the next SN.
void SerialNumberPrepareNext();

// Shows the next serial number and the counts (the main window's part).
void SerialNumberDisplayUpdate(int32_t mode);

} // namespace gui
