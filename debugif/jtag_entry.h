#pragma once
// Entering JTAG and telling the target apart, for both routine families:
// the JTAG id, the control-register check and the security-fuse test.

#include <cstdint>

namespace debugif {

// Up to 4 entries into JTAG; the id captured is stored in out. 0 when the
// id is 0x89, 0x8D or 0x91, else -1 with error 5.
int32_t ReadJtagId(uint16_t* out);
// Up to 7 ReadJtagId into gLpt.jtagId; -1 with error 4 when none answered.
int32_t JtagIdQuery();
// The id captured now equals gLpt.jtagId.
bool CheckJtagId();
// The control register answers with gLpt.jtagId.
bool CheckControl();
// 0 when the fuse reads blown (0x5555), else -1 with error 29.
int32_t IsFuseBlown();
// Mode 0: instruction (succeeds when its capture is the JTAG id); 1: 16
// data bits; 2: 8 data bits; any other mode fails.
bool JtagShift(int32_t mode, uint32_t value, uint32_t* out = nullptr);

} // namespace debugif
