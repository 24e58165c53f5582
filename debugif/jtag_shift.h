#pragma once
// The JTAG shifts and steps as the routines write them: each shift
// returns whether the port carried it out, and hands back its capture.

#include <cstdint>

namespace debugif {

bool Ir(uint8_t instruction, uint32_t* capture = nullptr);
bool Dr8(uint32_t value, uint32_t* capture = nullptr);
bool Dr16(uint32_t value, uint32_t* capture = nullptr);
bool Dr20(uint32_t value, uint32_t* capture = nullptr);
bool Dr32(uint32_t value, uint32_t* capture = nullptr);
void Step(int32_t n);

// Sets the last error number and returns -1.
int32_t LptFail(int32_t error);

} // namespace debugif
