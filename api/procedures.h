#pragma once
// The programming procedures the host runs through the procedure exports:
// AUTO PROGRAM and the single steps. Each opens the target, runs its steps
// through the programmer core, writes one report line per step and ends in
// the finish step. Run directly or in the progress dialog, the steps are
// the same; only the presenter differs (messages, status, progress).

#include <cstdint>

namespace api {

// Beeps of AUTO PROGRAM after the finish step's own.
inline constexpr uint32_t kPassBeepsHz[3] = {800, 1100, 1400};
inline constexpr uint32_t kPassBeepMs = 70;
inline constexpr uint32_t kFailBeepHz = 450;
inline constexpr uint32_t kFailBeepMs = 60;

int32_t AutoProgram();
// 1 when the fuse was found intact (then Lib.FuseBlown is 0).
int32_t FuseCheckProcedure();
// argument 1: erase everything; any other: by FlashEraseModeIndex.
int32_t EraseProcedure(int32_t argument);
int32_t BlankCheckProcedure();
int32_t WriteProcedure();
int32_t VerifyProcedure();
// ReadImage cleared, then the segments by the read mask.
int32_t ReadProcedure();
int32_t BlowFuseProcedure();

// The steps, on an opened target.
int32_t EraseStep(int32_t argument);
int32_t BlankCheckStep();
int32_t WriteStep();
int32_t VerifyStep(int32_t argument);
int32_t ReadStep(int32_t argument);
int32_t BlowFuseStep();
int32_t DcoStep(int32_t argument);

} // namespace api
