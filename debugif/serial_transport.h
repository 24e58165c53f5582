#pragma once
// The adapter's virtual COM port: 460800 baud, 8N1, no flow control, reads
// bounded by 7000 ms + 10 ms per byte with a 100 ms gap once data flows,
// writes by 3000 ms + 10 ms per byte.

#include <cstdint>

namespace debugif {

// path: "\\.\" and the port name ("\\.\COM5"), a bare port name, or a node
// path. 0 opened; 2 could not be opened or prepared (the last system error
// tells why: 2 no such port, 5 in use); 3 line settings refused.
int32_t OpenSerialPort(const char* path, int32_t wait_time_ms, int32_t retry_count);
// Drains the output (at most PortWaitTime ms), purges, closes. 0 closed; 4
// not open or the close failed.
int32_t CloseSerialPort();
// Discards pending input. Returns 0.
int32_t SerialFlush();
// Bytes in the input queue once there are count, or when ms have passed.
int32_t SerialWaitInput(int32_t count, int32_t ms);

// One read or write under the port time-outs. True when the call completed,
// *done telling how many bytes went (fewer on a time-out); false on an I/O
// error or when the port is not open.
bool SerialWrite(const uint8_t* bytes, uint32_t count, uint32_t* done);
bool SerialRead(uint8_t* buffer, uint32_t count, uint32_t* done);
// Purge with the kPurge... flags of platform/serial_port.h.
bool SerialPurge(uint32_t flags);
// Reads the queue lengths into Transport.port_status.
bool SerialReadStatus();

} // namespace debugif
