/*
 * quillcore_locale [numeric] [comma]: a C99 host whose own locale the
 * library must leave alone. The environment names a locale (LANG), as a
 * host started from a desktop has it; the host itself keeps "C", or with
 * "numeric" sets only LC_NUMERIC from the environment before the first
 * call. It runs AUTO PROGRAM in the progress dialog (the library then makes
 * its Qt application), again, and directly: after each run the host's
 * locale reads exactly as before, its own strtod and printf keep their
 * decimal mark, and the verdict line writes its run time with a point.
 * With "comma" the environment's locale has a decimal comma, and the host
 * then takes it for itself: the library's verdict line still has a point,
 * and the host's locale stays the comma one. Exit status 0 when all held.
 */
#include "quillcore.h"

#include <dlfcn.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;
static char report[QUILLCORE_REPORT_SIZE];

static void check(int ok, const char* step) {
    printf("%-60s %s\n", step, ok ? "ok" : "FAILED");
    if (!ok) {
        failures++;
    }
}

/* The host's locale as the C library names it (all categories). */
static void locale_now(char* out, size_t size) {
    const char* now = setlocale(LC_ALL, NULL);
    strncpy(out, now != NULL ? now : "(none)", size - 1);
    out[size - 1] = '\0';
}

/* The run time of the verdict line " -------- D O N E --- ( run time =
   %6.1f sec.)" written with a point: digits, '.', one digit, " sec.)". */
static int verdict_with_point(const char* text) {
    const char* at = strstr(text, " -------- D O N E --- ( run time =");
    const char* end;
    if (at == NULL) {
        return 0;
    }
    end = strstr(at, " sec.)\r\n");
    if (end == NULL || end - at < 3) {
        return 0;
    }
    return end[-2] == '.' && end[-1] >= '0' && end[-1] <= '9' && end[-3] >= '0' && end[-3] <= '9';
}

/* One AUTO PROGRAM run (30: 0 the dialog without prompts, 2 direct); its
   report is left in report. */
static int32_t auto_program(uint32_t presentation) {
    int32_t result;
    F_SetConfig(30, presentation);
    result = F_AutoProgram(0);
    F_ReportMessage(report);
    return result;
}

/* Whether the library made its Qt application: only then did the dialog
   run in a window, where the toolkit set the locale. */
static int qt_application_made(void) {
    void* program = dlopen(NULL, RTLD_LAZY);
    void* const* self =
        program != NULL ? (void* const*)dlsym(program, "_ZN16QCoreApplication4selfE") : NULL;
    const int made = self != NULL && *self != NULL;
    if (program != NULL) {
        dlclose(program);
    }
    return made;
}

/* The host's own conversions with a point, as in the "C" locale. */
static int host_reads_point(void) {
    char text[16];
    snprintf(text, sizeof text, "%.1f", 2.5);
    return strtod("3.3", NULL) == 3.3 && strcmp(text, "2.5") == 0;
}

/* Whether the word is among the program's arguments. */
static int argument(int argc, char** argv, const char* word) {
    int i;
    for (i = 1; i < argc; i++) {
        if (strcmp(argv[i], word) == 0) {
            return 1;
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    char before[512];
    char after[512];
    char step[600];
    int32_t i;
    int run;
    static const uint32_t runs[3] = {0, 0, 2};
    static const char* const names[3] = {"first dialog run", "second dialog run", "direct run"};

    if (argument(argc, argv, "numeric")) {
        check(setlocale(LC_NUMERIC, "") != NULL, "host sets LC_NUMERIC from its environment");
    }
    locale_now(before, sizeof before);
    printf("host locale: %s\n", before);

    check(F_Check_KVU_access(0) >= 1, "enumerate adapters");
    check(F_Check_KVU_access(20010107) == 20010107, "select adapter 20010107");
    check(F_Initialization() == 1, "initialise");
    for (i = 1; i < 400; i++) {
        char name[21];
        int32_t k;
        if (F_SetConfig(1, (uint32_t)i) != 1) {
            break;
        }
        for (k = 0; k < 20; k++) {
            name[k] = (char)F_Get_Device_Info(k);
        }
        name[20] = '\0';
        if (strcmp(name, "MSP430F149") == 0) {
            break;
        }
    }
    check(F_SetConfig(2, 1) == 1, "adapter powers the target");
    F_Clr_Code_Buffer();
    for (i = 0; i < 0x200; i++) {
        F_Put_Byte_to_Code_Buffer(0x8000 + i, (uint8_t)(i * 3));
    }
    F_ReportMessage(report);

    for (run = 0; run < 3; run++) {
        check(auto_program(runs[run]) == 1, names[run]);
        if (run == 0) {
            check(qt_application_made(), "  the library made its Qt application");
        }
        locale_now(after, sizeof after);
        snprintf(step, sizeof step, "  host locale after it: %s", after);
        check(strcmp(before, after) == 0, step);
        check(verdict_with_point(report), "  verdict line with a point");
        if (!argument(argc, argv, "numeric")) {
            check(host_reads_point(), "  host's strtod and printf with a point");
        }
    }
    if (argument(argc, argv, "comma")) {
        /* The host takes the comma locale for itself: the library's numbers
           keep their point, and the host keeps its locale. */
        check(setlocale(LC_ALL, "") != NULL && strtod("3,3", NULL) == 3.3,
              "host takes the comma locale of its environment");
        locale_now(before, sizeof before);
        for (run = 0; run < 3; run++) {
            check(auto_program(runs[run]) == 1, names[run]);
            check(verdict_with_point(report),
                  "  verdict line with a point under the host's locale");
            locale_now(after, sizeof after);
            check(strcmp(before, after) == 0, "  host's comma locale kept");
        }
    }

    if (failures != 0) {
        printf("%d step(s) FAILED\n", failures);
        return 1;
    }
    printf("all steps passed\n");
    return 0;
}
