#pragma once
// The HID entries of the transport table.

#include <cstdint>

namespace debugif {

// Opens the adapter by its HID name and configures it (flush, features
// 0xD2, 0xC9 at 921600 with read-back, 0xC8 with read-back, 0xCA). 2 when
// it cannot be opened; else the status of the last configuration step.
int32_t OpenHidTransport(const char* name);
int32_t CloseHidTransport();

} // namespace debugif
