/*
 * quillcore_host: a host program as a customer writes one, in C99 with
 * nothing but <quillcore.h>. It selects the adapter on COM7, initialises,
 * finds the MSP430F149 row, opens the target and uses the direct
 * operations, then closes; then it programs a 60 KiB image by AUTO PROGRAM,
 * run directly and in the progress dialog (which needs no display), and
 * reads the flash back. Exit status 0 when every step gave what it must.
 */
#include "quillcore.h"

#include <stdio.h>
#include <string.h>

static int failures = 0;
static char report[QUILLCORE_REPORT_SIZE];

static void check(int ok, const char* step) {
    printf("%-52s %s\n", step, ok ? "ok" : "FAILED");
    if (!ok) {
        failures++;
    }
}

/* Reads the report and shows it when a step failed. */
static const char* take_report(void) {
    F_ReportMessage(report);
    return report;
}

#define IMAGE_START 0x1000
#define IMAGE_SIZE 0xF000 /* 0x1000..0xFFFF */

/* AUTO PROGRAM of a 60 KiB image, then the flash read back. */
static void auto_program(void) {
    static uint8_t memory[QUILLCORE_MEMORY_READ_SIZE];
    int32_t i;
    const char* report;
    F_Clr_Code_Buffer();
    for (i = 0; i < IMAGE_SIZE; i++) {
        F_Put_Byte_to_Code_Buffer(IMAGE_START + i, (uint8_t)(i * 5 + (i >> 8)));
    }
    check(F_SetConfig(30, 2) == 1, "procedures run directly");
    check(F_AutoProgram(0) == 1, "AUTO PROGRAM of 60 KiB, run directly");
    report = take_report();
    check(strstr(report, " -------- D O N E --- ") != NULL, "report: done");
    printf("%s", report);
    check(F_SetConfig(30, 0) == 1, "procedures run in the progress dialog, without prompts");
    check(F_AutoProgram(0) == 1, "AUTO PROGRAM of 60 KiB, in the progress dialog");
    report = take_report();
    check(strstr(report, " -------- D O N E --- ") != NULL, "report: done");
    check(F_SetConfig(30, 2) == 1, "procedures run directly");
    memset(memory, 0, sizeof memory);
    check(F_Memory_Read(memory) == 1, "read the flash");
    for (i = 0; i < IMAGE_SIZE; i++) {
        if (memory[i] != (uint8_t)(i * 5 + (i >> 8))) {
            break;
        }
    }
    check(i == IMAGE_SIZE, "the flash read equals the image");
    take_report();
}

/* The row of the device table whose name is name, or -1. */
static int32_t find_row(const char* name) {
    int32_t row;
    for (row = 0; row < 400; row++) {
        char text[21];
        int32_t i;
        if (F_SetConfig(1, (uint32_t)row) != 1) {
            return -1;
        }
        for (i = 0; i < 20; i++) {
            text[i] = (char)F_Get_Device_Info(i);
        }
        text[20] = '\0';
        if (strcmp(text, name) == 0) {
            return row;
        }
    }
    return -1;
}

int main(void) {
    static uint8_t data[300];
    static uint8_t back[302];
    int32_t count;
    int32_t row;
    int32_t i;
    int blank_ok;

    for (i = 0; i < 300; i++) {
        data[i] = (uint8_t)(i * 7 + 3);
    }

    count = F_Check_KVU_access(0);
    check(count >= 1, "enumerate adapters");
    check(F_Check_KVU_access(1) == 20010107, "first adapter is COM7 (20010107)");
    check(F_Check_KVU_access(20010107) == 20010107, "select adapter 20010107");
    check(F_Get_KVU_SN() == 20010107, "selected adapter ID");

    check(F_Initialization() == 1, "initialise");
    check(strcmp(take_report(),
                 "Connecting Programming Adapter ......\t done\r\nMSP-FET430UIF  COM7\r\n") == 0,
          "initialise report");

    row = find_row("MSP430F149");
    check(row > 0, "device row MSP430F149 found");
    check(F_SetConfig(1, (uint32_t)row) == 1, "select the row");
    check(F_SetConfig(2, 1) == 1, "adapter powers the target");
    check(F_SetConfig(30, 2) == 1, "procedures run directly, without prompts");

    check(F_Open_Target_Device() == 1, "open target");
    take_report();
    check(F_Get_Targets_Vcc() > 2600, "target supply measured");

    check(F_Segment_Erase(0x10F1) == 1, "erase segment at 0x10F1");
    check(F_Segment_Erase(0x1100) == 1, "erase segment at 0x1100");
    check(F_Segment_Erase(0x1200) == 1, "erase segment at 0x1200");
    check(F_Sectors_Blank_Check(0x10F0, 0x121F) == 1, "blank check 0x10F0..0x121F");

    check(F_Memory_Write_Data(0x10F1, 300, data) == 1, "write 300 bytes at 0x10F1");
    memset(back, 0, sizeof back);
    check(F_Memory_Read_Data(0x10F0, 302, back) == 1, "read 302 bytes at 0x10F0");
    check(memcmp(back + 1, data, 300) == 0, "300 bytes read back equal");
    check(back[0] == 0xFF && back[301] == 0xFF, "neighbours kept erased");
    blank_ok = F_Sectors_Blank_Check(0x10F0, 0x121F) == 0;
    check(blank_ok, "written range is no longer blank");
    take_report();

    for (i = 0; i < 41; i++) {
        F_Put_Byte_to_Buffer(0x211 + i, (uint8_t)(0xA0 + i));
    }
    check(F_Copy_Buffer_to_RAM(0x211, 41) == 1, "41 bytes to RAM at 0x211");
    check(F_Copy_RAM_to_Buffer(0x211, 41) == 1, "41 bytes from RAM at 0x211");
    for (i = 0; i < 41; i++) {
        if (F_Get_Byte_from_Buffer(0x211 + i) != 0xA0 + i) {
            break;
        }
    }
    check(i == 41, "RAM round trip equal");
    check(F_Write_Word(0x300, 0x1234) == 1, "write word 0x1234 at 0x300");
    check(F_Read_Word(0x300) == 0x1234, "read word back");
    check(F_Write_Byte(0x305, 0xA5) == 1, "write byte 0xA5 at 0x305");
    check(F_Read_Byte(0x305) == 0xA5, "read byte back");

    check(F_Set_PC_and_RUN(0x1100) == 1, "set PC and run");
    check(F_Synch_CPU_JTAG() == 1, "synchronise CPU and JTAG");
    take_report();

    check(F_Close_Target_Device() == 1, "close target");
    take_report();
    check(F_Segment_Erase(0x1100) == 0, "segment erase after close refused");
    check(strstr(take_report(), "Target Device is not Active.\r\n") != NULL,
          "report: target not active");
    auto_program();

    if (failures != 0) {
        printf("%d step(s) FAILED\n", failures);
        return 1;
    }
    printf("all steps passed\n");
    return 0;
}
