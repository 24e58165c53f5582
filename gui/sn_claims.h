#pragma once
// Claims: how stations that share one SN history never give one number to
// two boards. Before an SN goes to a board, its station claims it under the
// history's lock (a lock file beside the history, held for milliseconds,
// never through a programming run): it reads what the others appended
// since it last looked, makes sure that neither the history nor another
// station's claim holds the number (taking the next free one when the
// number was the coming one), and appends its claim to the claims file
// beside the history, synced. A claim outlives the station: it ends only
// with the history record of its board, or when its own station releases
// it because the run ended before the SN could reach the board. The claim
// of a run that failed after the SN went to the board, or of a station
// that was killed, stays for good, so that no station, nor a restart,
// gives that number again. Both files are only ever appended to.

#include <cstdint>
#include <string>
#include <string_view>

namespace gui {

// The files beside the history: its lock and its claims
// ("claim \tF3 \t00005 \tHOST:PID" or "release ..." per line, CR LF).
std::string SnLockPath(const std::string& history);
std::string SnClaimsPath(const std::string& history);

// How long a station waits for the lock (real time): another station's
// claim or append holds it for milliseconds.
inline constexpr uint32_t kSnLockWaitMs = 10000;

// The key a claim is kept by: the type digit of the record's type token,
// ':' and the SN as the history compares it (a number's value, a custom
// SN in lower case).
std::string SnClaimKey(std::string_view typeToken, std::string_view sn);

// Takes one line of the claims file into SerialNumber.SnClaims (a line
// that is no claim or release, a torn one, changes nothing).
void SnClaimsLineTake(std::string_view line);

// 1 when a live claim of the current type holds this SN.
int32_t SnClaimsContain(std::string_view text);

enum SnClaimResult : int32_t {
    kSnClaimed = 1,
    kSnClaimTaken = 0,      // the chosen SN is in the history or claimed
    kSnClaimFailed = -1,    // no claim could be made
    kSnClaimExhausted = -2, // moving on, the type and byte mode had no number left
};

// Claims SerialNumberText (as SerialNumberFromText packed it) for this
// station's run. mayMoveOn 1: it is the coming SN, so when another station
// took it, the next free one is packed and claimed instead
// (SerialNumberText names it then). The history must be able to take the
// record (SnHistoryCanRecord) before the claim is made. Anything but
// kSnClaimed leaves report lines saying why in SerialNumber.SnClaimWhy.
int32_t SnClaim(int32_t mayMoveOn);

// Releases this station's claim of its current run, for a run that ended
// before the SN could reach the board: the number is free again. Nothing
// when no claim is held; a release that cannot be written leaves the
// number claimed.
void SnClaimRelease();

// Forgets the held claim: it stays in the claims file for good (the board
// may carry the number, or the history holds it).
void SnClaimEnd();

// Appends the release of the record type token and SN to the claims file,
// for a history record an operator deleted. Under the lock the caller
// holds. False when it could not be written.
bool SnClaimsAppendRelease(std::string_view typeToken, std::string_view sn);

} // namespace gui
