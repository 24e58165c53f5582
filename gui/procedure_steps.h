#pragma once
// The step workers the programming procedures share. Each returns 1 passed,
// 0 failed, 15 stopped by the operator (bits above the low one only where
// noted); each sets its status lamp and appends its report lines.

#include <cstdint>
#include <string>

namespace gui {

// The question when the serial number or model text lies on defined code.
inline constexpr const char* kSnOverlapQuestion =
    "Serial Number or Model Text location\r\n"
    "overlaps active code space.\r\n\r\n"
    "Please check the serialization setup.\r\n\r\n"
    "Would you like to continue writing process anyway?";

// 0 with the "Empty SN list" box when serialization takes its numbers from
// a list that is empty; else 1. terminating: the box ends a run.
int32_t SnListEmptyCheck(int32_t terminating);
// Retain read, erase (mode 1: everything, 0: by the erase mode), restore.
int32_t EraseStep(int32_t mode);
int32_t RetainReadStep();
int32_t RetainRestoreStep();
int32_t BlankCheckStep();
int32_t WriteStep();
// full 1: every segment read back whatever the verify mode, no SN check.
int32_t VerifyStep(int32_t full);
int32_t SnVerifyStep();
int32_t DcoCheckStep(int32_t skip);
// all 1: all memory, 0: the read options' space.
int32_t ReadStep(int32_t all);
// single 1: writes the serial number and model text at once; 0 (AUTO
// PROGRAM): the write step places them in the image. nextSn: the number the
// operator has in front of them (the main window's next-SN field), which
// the editor may replace.
int32_t SnStep(int32_t single, const std::string& nextSn);
// The history record of the SN this run wrote, with the status the SN step
// settled on: 1 saved; else reported failed (the run must not pass).
int32_t SnRecordStep();
// The target's label: kLabelRead, with kLabelSnFound when a serial number
// was decoded and kReadBackNotEmpty (sn_readback.h) when a byte of it is
// not blank; kReadBackFailed (4) when it could not be read; else the
// connect's result (0 not connected, 15 stopped).
inline constexpr int32_t kLabelRead = 1;
inline constexpr int32_t kLabelSnFound = 0x10;
int32_t LabelReadStep(int32_t x);
int32_t FuseBlowStep();

// Status lamp row set to bitmap (no paint).
void LampSet(int32_t row, int32_t bitmap);
int32_t LampGet(int32_t row);

} // namespace gui
