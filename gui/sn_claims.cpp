#include "gui/sn_claims.h"
#include "platform/ascii.h"

#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_history_line.h"
#include "gui/sn_list.h"
#include "platform/append_file.h"
#include "platform/file_lock.h"
#include "platform/file_tail.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace gui {
namespace {

using core::Settings;

bool IsCustomToken(std::string_view typeToken) {
    return typeToken.size() >= 2 && (typeToken[1] == '6' || typeToken[1] == '7');
}

std::string TypeToken() {
    char t[8];
    std::snprintf(t, sizeof t, "F%1.1i", std::clamp(Settings.SNDispFormatIndex, 0, 9));
    return t;
}

std::string ErrnoText(int error) {
    return std::strerror(error);
}

// Appends one claims line of kind ("claim" or "release") for the type token
// and SN, on a line of its own even behind a torn one.
bool ClaimsAppend(const char* kind, std::string_view typeToken, std::string_view sn, int& error) {
    const std::string path = SnClaimsPath(Settings.SNFilePathAndName);
    platform::FileIdentity id;
    uint64_t size = 0;
    std::string last;
    std::string text;
    if (platform::FileReadFrom(path, UINT64_MAX, id, size, last) == 0 && size > 0 &&
        platform::FileReadFrom(path, size - 1, id, size, last) == 0 && !last.empty() &&
        !SnIsLineEnd(last.back())) {
        text = "\r\n";
    }
    text += kind;
    text += " \t";
    text += typeToken;
    text += " \t";
    text += sn;
    text += " \t";
    text += platform::LockHolderName();
    text += "\r\n";
    size_t written = 0;
    const bool ok = platform::FileAppendDurableUnhooked(path, text, &written);
    error = ok ? 0 : errno;
    return ok;
}

std::string HistoryLines(const std::string& why) {
    return " SN history file " + Settings.SNFilePathAndName + ":\r\n " + why + "\r\n";
}

std::string LockWhy(const platform::FileLock& lock) {
    const std::string path = SnLockPath(Settings.SNFilePathAndName);
    switch (lock.Error()) {
    case ETIMEDOUT:
        return " SN history lock " + path + ":\r\n another station held it for " +
               std::to_string(kSnLockWaitMs / 1000) + " s.\r\n";
    case ENOLCK:
    case EINVAL:
    case EOPNOTSUPP:
        return " SN history lock " + path + ":\r\n its folder keeps no file locks.\r\n";
    default:
        return " SN history lock " + path + ":\r\n it cannot be opened (" +
               ErrnoText(lock.Error()) + ").\r\n";
    }
}

// Takes the next coming SN instead of a taken one. kSnClaimed when one is
// packed.
int32_t MoveOn() {
    SerialNumberState& s = SerialNumber;
    const int32_t type = Settings.SNDispFormatIndex;
    if (type == kSnTypeCustom) {
        return kSnClaimTaken; // a custom SN has no next one of its own
    }
    if (type == kSnTypeFromFile) {
        SnListRetireEntry(s.SerialNumberText);
    }
    const int32_t computed = SerialNumberComputeNext();
    if (s.SnComing == kSnComingExhausted) {
        return kSnClaimExhausted;
    }
    if (computed != 1) {
        s.SnClaimWhy = type == kSnTypeFromFile
                           ? std::string(" The SN list has no entry left that no station took.\r\n")
                           : SnHistoryProblemLines();
        return kSnClaimFailed;
    }
    SerialNumberPackNext();
    const std::string coming = SerialNumberFormat();
    if (SerialNumberFromText(coming) != 1) {
        s.SnClaimWhy = "SN " + coming + SnRefusalText(s.SnRefusal) + "\r\n";
        return kSnClaimFailed;
    }
    return kSnClaimed;
}

} // namespace

std::string SnLockPath(const std::string& history) {
    return history + ".lock";
}

std::string SnClaimsPath(const std::string& history) {
    return history + ".claims";
}

std::string SnClaimKey(std::string_view typeToken, std::string_view sn) {
    std::string key;
    key += typeToken.size() >= 2 ? typeToken[1] : '?';
    key += ':';
    if (IsCustomToken(typeToken)) {
        for (char c : sn.substr(0, 257)) {
            key += static_cast<char>(platform::AsciiLower(c));
        }
    } else {
        key += std::to_string(SnDecimalValue(sn));
    }
    return key;
}

void SnClaimsLineTake(std::string_view line) {
    if (SnLineIsTorn(line)) {
        return;
    }
    const auto tokens = SnLineTokens(line, 3);
    if (tokens.size() < 3 || tokens[1].size() != 2 ||
        (tokens[1][0] != 'F' && tokens[1][0] != 'f') || tokens[1][1] < '0' || tokens[1][1] > '7') {
        return;
    }
    std::string key = SnClaimKey(tokens[1], tokens[2]);
    auto& live = SerialNumber.SnClaims.live;
    if (tokens[0] == "claim") {
        std::string record(tokens[1]);
        record += " \t";
        record += tokens[2];
        live[std::move(key)] = std::move(record);
    } else if (tokens[0] == "release") {
        live.erase(key);
    }
}

int32_t SnClaimsContain(std::string_view text) {
    const auto& live = SerialNumber.SnClaims.live;
    if (live.empty()) {
        return 0;
    }
    const std::string type = TypeToken();
    if (live.count(SnClaimKey(type, text)) != 0) {
        return 1;
    }
    return IsCustomToken(type) ? 0 : (live.count(SnClaimKey(type, SnCanonicalText(text))) != 0);
}

int32_t SnClaim(int32_t mayMoveOn) {
    SerialNumberState& s = SerialNumber;
    s.SnClaimWhy.clear();
    SnClaimEnd(); // a claim left from an earlier run stays for good
    const std::string& path = Settings.SNFilePathAndName;
    if (path.empty()) {
        s.SnClaimWhy = " No SN history file is set.\r\n";
        return kSnClaimFailed;
    }
    platform::FileLock lock(SnLockPath(path), kSnLockWaitMs);
    if (!lock.Held()) {
        s.SnClaimWhy = LockWhy(lock);
        return kSnClaimFailed;
    }
    // A history that cannot tell its numbers is not written to; else its
    // last line ends first, so that what counts is what is read.
    const auto problem = [&] {
        if (SnHistoryLoad(0) == 1 && SnHistoryProblemLines().empty()) {
            return false;
        }
        s.SnClaimWhy = SnHistoryProblemLines();
        return true;
    };
    if (problem()) {
        return kSnClaimFailed;
    }
    const std::string fix = SnHistoryUnfinishedLineFix();
    if (!fix.empty()) {
        if (!platform::FileAppendDurable(path, fix)) {
            s.SnClaimWhy = HistoryLines("it cannot be written (" + ErrnoText(errno) + ").");
            return kSnClaimFailed;
        }
        if (problem()) {
            return kSnClaimFailed;
        }
    }
    for (int32_t tries = 0; SnHistoryContains(s.SerialNumberText) == 1; ++tries) {
        const bool recorded = SnHistoryRecordsContain(s.SerialNumberText) == 1;
        if (mayMoveOn != 1 || tries > 1000) {
            s.SnClaimWhy = "SN " + s.SerialNumberText +
                           (recorded ? " is already in the SN history file.\r\n"
                                     : " is claimed already, by another station's run or by a "
                                       "run that failed after writing it.\r\n");
            return kSnClaimTaken;
        }
        const int32_t moved = MoveOn();
        if (moved != kSnClaimed) {
            if (moved == kSnClaimTaken) {
                s.SnClaimWhy =
                    "SN " + s.SerialNumberText + " is already in the SN history file.\r\n";
            }
            return moved;
        }
    }
    // The board gets a number only when its record can be kept.
    if (SnHistoryCanRecord() != 1) {
        s.SnClaimWhy = HistoryLines("it cannot take the record (" + ErrnoText(errno) + ").");
        return kSnClaimFailed;
    }
    const std::string type = TypeToken();
    int error = 0;
    if (!ClaimsAppend("claim", type, s.SerialNumberText, error)) {
        s.SnClaimWhy = " SN claims file " + SnClaimsPath(path) + ":\r\n it cannot be written (" +
                       ErrnoText(error) + ").\r\n";
        return kSnClaimFailed;
    }
    SnClaimsState& c = s.SnClaims;
    c.heldKey = SnClaimKey(type, s.SerialNumberText);
    c.heldType = type;
    c.heldSn = s.SerialNumberText;
    c.live[c.heldKey] = type + " \t" + s.SerialNumberText;
    return kSnClaimed;
}

void SnClaimRelease() {
    SnClaimsState& c = SerialNumber.SnClaims;
    if (c.heldKey.empty() || Settings.SNFilePathAndName.empty()) {
        SnClaimEnd();
        return;
    }
    platform::FileLock lock(SnLockPath(Settings.SNFilePathAndName), kSnLockWaitMs);
    int error = 0;
    if (lock.Held() && ClaimsAppend("release", c.heldType, c.heldSn, error)) {
        c.live.erase(c.heldKey);
    }
    SnClaimEnd();
}

void SnClaimEnd() {
    SnClaimsState& c = SerialNumber.SnClaims;
    c.heldKey.clear();
    c.heldType.clear();
    c.heldSn.clear();
}

bool SnClaimsAppendRelease(std::string_view typeToken, std::string_view sn) {
    int error = 0;
    const bool ok = ClaimsAppend("release", typeToken, sn, error);
    if (ok) {
        SerialNumber.SnClaims.live.erase(SnClaimKey(typeToken, sn));
    }
    return ok;
}

} // namespace gui
