#pragma once
// Watches the debug library's calls for a link that gave up: the adapter
// stopped answering (killed, unplugged, stalled past every time-out) and
// the library reported error 35 and counts its interface as closed. The
// target layer would take its own interface for still open and fail every
// later run; the next connect closes it and opens it again instead, and
// the failed run's report names the library's reason.

#include "core/debug_api.h"

#include <string>

namespace gui {

// The library's number for a link it gave up on.
inline constexpr int32_t kLinkGaveUpError = 35;

struct LinkWatchState {
    bool gaveUp = false; // a call failed with kLinkGaveUpError since the last connect
    std::string reason;  // the library's text for it, "\r\n"-terminated

    void Reset() { *this = LinkWatchState{}; }
};

extern LinkWatchState LinkWatch;

// Puts the watch in front of the debug table in use (once: a table that is
// the watch already stays).
void LinkWatchInstall();
// The connect step's part: after a link gave up, closes the interface so
// that the open that follows opens it again. True when it did.
bool LinkWatchReopenPending();
// Forgets a link that gave up and takes the watch out again (the table it
// stood in front of is in use once more).
void LinkWatchReset();

} // namespace gui
