/*
 * Quillcore: the programming library for MSP430 microcontrollers behind an
 * MSP-FET430UIF adapter. Link with `pkg-config --cflags --libs quillcore`.
 *
 * Calling order a host keeps:
 *   1. F_Check_KVU_access(0) lists the adapters, F_Check_KVU_access(n) for
 *      n = 1..count gives the adapter ID of the n-th one, and
 *      F_Check_KVU_access(id) opens and selects that adapter. Once a host
 *      selected by ID, procedures use only the selected adapter and, with
 *      none selected, fail without touching any.
 *   2. F_Initialization() (1 ready, 4 no adapter selected).
 *   3. The configuration: F_ConfigSetup, F_SetConfig, F_ConfigFileLoad.
 *   4. The code: F_ReadCodeFile, F_ReadPasswFile, or the buffer functions.
 *   5. F_Open_Target_Device(), then the direct operations, then
 *      F_Close_Target_Device().
 *   6. F_ReportMessage() after each step reads (and empties) the report.
 *
 * All functions run on the caller's thread and return when done; call them
 * from one thread only. Integers are 32-bit. No function lets a C++
 * exception out: an internal failure gives the function's failure value.
 *
 * Procedure results: 1 success, 0 failure, 2 the target's security fuse is
 * blown, 15 cancelled, 31 terminated, 32 target supply below the device
 * minimum. Code and password file results: 1 loaded, plus the warning bits
 * 0x10 (data in 0x0C00..0x0FFF), 0x20 (data in RAM or outside the images),
 * 0x40 (data below 0x0200 or outside the selected device), 0x80 (a byte
 * defined twice); 0x100 password not found; 0x200 not a valid code file;
 * 8 the file cannot be opened (also for a null path).
 */
#ifndef QUILLCORE_H
#define QUILLCORE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the buffer F_ReportMessage fills (it writes at most 1000 bytes). */
#define QUILLCORE_REPORT_SIZE 1000
/* Number of values of the setup block (F_ConfigSetup, F_GetSetup). */
#define QUILLCORE_SETUP_SIZE 30
/* Size of the buffer F_Memory_Read fills: 0x1000 up to the flash end. */
#define QUILLCORE_MEMORY_READ_SIZE 0x44C00
/* Size of the library's write and read buffers (index = target address). */
#define QUILLCORE_BUFFER_SIZE 0x45C00

/* Version 2.50: returns 592; the report holds the version lines. */
int32_t F_DLLTypeVer(void);
/* 1 ready, 4 no adapter selected. Reads "config.ini" beside the host program. */
int32_t F_Initialization(void);
/* The 30 setup values in setup block order. Returns 1. */
int32_t F_ConfigSetup(uint32_t interface_, uint32_t uProcIndex, uint32_t PowerTargetEn,
                      uint32_t BSLSpeedIndex, uint32_t ResetTimeIndex, uint32_t FlashEraseModeIndex,
                      uint32_t EraseInfoA, uint32_t EraseInfoB, uint32_t EraseFlashStartAddr,
                      uint32_t EraseFlashStopAddr, uint32_t FlashReadModeIndex, uint32_t ReadInfoA,
                      uint32_t ReadInfoB, uint32_t ReadStartAddr, uint32_t ReadStopAddr,
                      uint32_t VerifyModeIndex, uint32_t BlowFuseEn, uint32_t ApplicationStartEn,
                      uint32_t BeepEnable, uint32_t EraseInfoC, uint32_t EraseInfoD,
                      uint32_t EraseDefMainMemEn, uint32_t ReadInfoC, uint32_t ReadInfoD,
                      uint32_t JTAGSpeedIndex, uint32_t PowerVccIndex,
                      uint32_t CustomResetPulseTime, uint32_t CustomResetIdleTime,
                      uint32_t RstVccToggleTime, uint32_t ApplResetVccTime);
/* setup: QUILLCORE_SETUP_SIZE values. 1; 0 for a null pointer. */
int32_t F_GetSetup(uint32_t* setup);
/* The report replaced by the setup listing. */
void F_DispSetup(void);
/* Closes the target. Returns 1. */
int32_t F_Close_All(void);
/* on 1: supply on (0 when PowerTargetEn is 0); else off. 1/0. */
int32_t F_Power_Target(int32_t on);
/* 1 the target was reset; 0 when it was not (no adapter interface open, or
   the reset failed). */
int32_t F_Reset_Target(void);
/* Copies at most 999 characters of the report and a zero into text
   (QUILLCORE_REPORT_SIZE bytes), then empties the report. */
void F_ReportMessage(char* text);
int32_t F_init_parallel_port(int32_t port);
/* format: 1 TI-TXT, 2 Motorola, 3 Intel HEX, 4 UBROF (.d43), 5 .a43. */
int32_t F_ReadCodeFile(int32_t format, const char* path);
int32_t F_ReadPasswFile(int32_t format, const char* path);
/* 1 loaded; 8 the file cannot be opened. */
int32_t F_ConfigFileLoad(const char* path);
/* Procedures: see the results above. */
int32_t F_AutoProgram(int32_t argument);
int32_t F_VerifyFuseOrPassword(void);
int32_t F_Memory_Erase(int32_t mode);
int32_t F_Memory_Blank_Check(void);
int32_t F_Memory_Write(int32_t argument);
int32_t F_Memory_Verify(int32_t argument);
/* data: QUILLCORE_MEMORY_READ_SIZE bytes; data[0] is the byte at 0x1000. */
int32_t F_Memory_Read(uint8_t* data);
/* 1 open (the target stays active for the direct operations), 0, 2 fuse
   blown, 15 cancelled, 32 supply too low. */
int32_t F_Open_Target_Device(void);
int32_t F_Open_Targed_Device(void);
/* Returns 1. */
int32_t F_Close_Target_Device(void);
int32_t F_Close_Targed_Device(void);
/* Direct flash operations on an open target: 1/0. */
int32_t F_Segment_Erase(int32_t address);
int32_t F_Sectors_Blank_Check(int32_t start, int32_t stop);
int32_t F_Memory_Write_Data(int32_t address, int32_t size, const uint8_t* data);
int32_t F_Memory_Read_Data(int32_t address, int32_t size, uint8_t* data);
int32_t F_Blow_Fuse(void);
/* Configuration index 0..65: 1 stored; 0 for 62 or above 65. */
int32_t F_SetConfig(uint32_t index, uint32_t value);
uint32_t F_GetConfig(uint32_t index);
/* The library's buffers (QUILLCORE_BUFFER_SIZE bytes each). */
int32_t F_Put_Byte_to_Buffer(int32_t address, uint8_t byte);
int32_t F_Copy_Buffer_to_Flash(int32_t address, int32_t size);
int32_t F_Copy_Flash_to_Buffer(int32_t address, int32_t size);
int32_t F_Copy_All_Flash_to_Buffer(void);
int32_t F_Get_Byte_from_Buffer(int32_t address);
/* Index 0 takes a snapshot of the report (and empties it); 0..1000. */
int32_t F_GetReportMessageChar(int32_t index);
int32_t F_Clr_Code_Buffer(void);
int32_t F_Put_Byte_to_Code_Buffer(int32_t address, uint8_t byte);
int32_t F_Put_Byte_to_Password_Buffer(int32_t address, uint8_t byte);
/* The byte, or -1 when outside or not defined. */
int32_t F_Get_Byte_from_Code_Buffer(int32_t address);
int32_t F_Get_Byte_from_Password_Buffer(int32_t address);
/* Target RAM from and to the library's buffers: 1/0. */
int32_t F_Copy_Buffer_to_RAM(int32_t address, int32_t size);
int32_t F_Copy_RAM_to_Buffer(int32_t address, int32_t size);
int32_t F_Set_PC_and_RUN(int32_t pc);
/* 0: the number of adapters (-1 failure); 1..32: the adapter ID of the n-th
   adapter listed; an adapter ID (20010100 + n for COMn, 20010200 + n for
   the HID adapter n): opens and selects it, returns it or 0. */
int32_t F_Check_KVU_access(int32_t n);
/* Target supply in mV; -1 when it cannot be measured. */
int32_t F_Get_Targets_Vcc(void);
/* The selected adapter ID, 0 for none. */
int32_t F_Get_KVU_SN(void);
/* kind 1: the code's checksum now; 2: the last image checksum; 3: the last
   target checksum; other: 0. */
uint32_t F_Get_CodeCS(int32_t kind);
void F_init_custom_jtag(int32_t a, int32_t b);
int32_t F_custom_jtag_stream(int32_t a, int32_t b, int32_t c, int32_t d);
int32_t F_Write_Word(int32_t address, int32_t word);
/* The word; 0 on failure. */
int32_t F_Read_Word(int32_t address);
int32_t F_Write_Byte(int32_t address, uint8_t byte);
/* The byte; 0 on failure. */
int32_t F_Read_Byte(int32_t address);
int32_t F_Synch_CPU_JTAG(void);
void F_API_DLL_Directory(const char* directory);
int32_t F_Set_kvu_io_state(int32_t a, int32_t b, int32_t c);
/* Items of the selected device: 0..19 name characters, 20 flash start,
   21 flash end, 22 information start, 23 information segment size,
   24 information segments, 25 RAM size, 26 family, 27 second-ID row;
   -1 for other indices. */
int32_t F_Get_Device_Info(int32_t index);
int32_t F_Custom_Function(int32_t code);
/* reason 1 attaches the debug interface again, 0 detaches it now (closing
   the adapter with the target supply off; no adapter is selected after
   it). The library attaches itself at load and detaches at unload. */
void LIB_Init(void* handle, uint32_t reason);

#ifdef __cplusplus
}
#endif

#endif /* QUILLCORE_H */
