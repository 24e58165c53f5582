#pragma once
// One exchange with the adapter: the request in UifLink.RequestBlock goes
// out framed, with up to three tries, and the verified reply lands in
// UifLink.ResponseBlock. The caller holds the debug lock throughout.

#include <cstddef>
#include <cstdint>

namespace debugif {

// 0 success (LastErrorNumber 0); -1 failure with LastErrorNumber set: 35
// when the interface is not open, no valid reply came in three tries (the
// connection is then closed in the library's view), the reply came for
// another command, or a lost reply to command 17 (run, never sent twice);
// the adapter's error byte when its status is not 0 (63 for status '?',
// 35 when the byte is 0);
// 3 when the request cannot be framed at all (nothing is sent). A reply
// that an earlier request's unanswered try may still bring (an adapter
// that stalled answers everything in order once it goes on) is read past,
// never taken as this request's answer; pending input is flushed before a
// try only while no such reply is owed. A block-write command (15, 44)
// goes out once on serial: a second copy could land in the bulk phase the
// first one opened. Its later tries only wait for the first copy's answer,
// and an answer that came damaged ends the transaction as if every try
// were spent.
// tries: how many tries at most (a lost link's last close makes one).
inline constexpr int32_t kUifTries = 3;
int32_t UifTransaction(int32_t tries = kUifTries);

} // namespace debugif
