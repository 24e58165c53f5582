/*
 * quillcore_reload LIBRARY: a host program that loads the library with
 * dlopen, programs the board on COM7 and unloads it again, round after
 * round: first run directly, which leaves nothing behind, then three times
 * in the progress dialog (the platform offscreen), for which the library
 * makes its own Qt application. After each unload the threads are counted:
 * no thread may outlive the library's code, so while more threads run than
 * before the first load the library must still be loaded, and no later
 * round may add threads to those of the first dialog round, other than
 * workers of Qt's thread pool. Exit status 0 when every step gave what it
 * must.
 */
#define _GNU_SOURCE /* RTLD_NOLOAD */
#include <dirent.h>
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

static void check(int ok, const char* step, int round) {
    printf("round %d: %-52s %s\n", round, step, ok ? "ok" : "FAILED");
    if (!ok) {
        failures++;
    }
}

/* The threads of this process; *workers of them are the workers of Qt's
 * global thread pool, which come and go with its work (bounded by the pool,
 * ending when idle), and are listed by name into the log. */
static int thread_count(int* workers, int round) {
    int n = 0;
    struct dirent* e;
    DIR* d = opendir("/proc/self/task");
    *workers = 0;
    if (d == NULL) {
        return -1;
    }
    printf("round %d: threads:", round);
    while ((e = readdir(d)) != NULL) {
        char path[300];
        char name[64] = "";
        FILE* f;
        if (e->d_name[0] == '.') {
            continue;
        }
        n++;
        snprintf(path, sizeof path, "/proc/self/task/%s/comm", e->d_name);
        f = fopen(path, "r");
        if (f != NULL) {
            if (fgets(name, sizeof name, f) != NULL) {
                name[strcspn(name, "\n")] = '\0';
            }
            fclose(f);
        }
        if (strcmp(name, "Thread (pooled)") == 0) {
            (*workers)++;
        }
        printf(" [%s]", name);
    }
    closedir(d);
    printf("\n");
    return n;
}

static int still_loaded(const char* path) {
    void* h = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (h == NULL) {
        return 0;
    }
    dlclose(h);
    return 1;
}

typedef int32_t (*fn_int)(int32_t);
typedef int32_t (*fn_void)(void);
typedef int32_t (*fn_index_value)(uint32_t, uint32_t);
typedef int32_t (*fn_put)(int32_t, uint8_t);
typedef void (*fn_report)(char*);

struct api {
    fn_int check_kvu;
    fn_void initialization;
    fn_index_value set_config;
    fn_int device_info;
    fn_void clear_code;
    fn_put put_code;
    fn_int auto_program;
    fn_void close_all;
    fn_report report;
};

/* POSIX hands functions out as object pointers. */
static int resolve(void* lib, const char* name, void* slot) {
    void* p = dlsym(lib, name);
    memcpy(slot, &p, sizeof p);
    return p != NULL;
}

static int resolve_all(void* lib, struct api* a) {
    return resolve(lib, "F_Check_KVU_access", &a->check_kvu) &&
           resolve(lib, "F_Initialization", &a->initialization) &&
           resolve(lib, "F_SetConfig", &a->set_config) &&
           resolve(lib, "F_Get_Device_Info", &a->device_info) &&
           resolve(lib, "F_Clr_Code_Buffer", &a->clear_code) &&
           resolve(lib, "F_Put_Byte_to_Code_Buffer", &a->put_code) &&
           resolve(lib, "F_AutoProgram", &a->auto_program) &&
           resolve(lib, "F_Close_All", &a->close_all) &&
           resolve(lib, "F_ReportMessage", &a->report);
}

static int32_t find_f149(const struct api* a) {
    int32_t row;
    for (row = 1; row < 400; row++) {
        char text[21];
        int32_t i;
        if (a->set_config(1, (uint32_t)row) != 1) {
            return -1;
        }
        for (i = 0; i < 20; i++) {
            text[i] = (char)a->device_info(i);
        }
        text[20] = '\0';
        if (strcmp(text, "MSP430F149") == 0) {
            return row;
        }
    }
    return -1;
}

/* One round: load, program in the presentation mode, unload. */
static void round_trip(const char* path, int round, uint32_t mode) {
    static char report[1024];
    struct api a;
    int32_t row;
    int32_t i;
    void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    check(lib != NULL, "load the library", round);
    if (lib == NULL) {
        printf("%s\n", dlerror());
        return;
    }
    memset(&a, 0, sizeof a);
    if (!resolve_all(lib, &a)) {
        check(0, "find the exports", round);
        dlclose(lib);
        return;
    }
    check(a.check_kvu(20010107) == 20010107, "select adapter 20010107", round);
    check(a.initialization() == 1, "initialise", round);
    row = find_f149(&a);
    check(row > 0 && a.set_config(1, (uint32_t)row) == 1, "select the MSP430F149", round);
    check(a.set_config(2, 1) == 1, "adapter powers the target", round);
    check(a.set_config(30, mode) == 1, mode == 2 ? "run directly" : "run in the dialog", round);
    a.clear_code();
    for (i = 0; i < 0x400; i++) {
        a.put_code(0xE000 + i, (uint8_t)(i * 3 + round));
    }
    a.report(report);
    check(a.auto_program(0) == 1, "AUTO PROGRAM", round);
    a.report(report);
    check(strstr(report, " -------- D O N E --- ") != NULL, "report: done", round);
    a.close_all();
    a.report(report);
    check(dlclose(lib) == 0, "unload the library", round);
}

int main(int argc, char** argv) {
    const char* path;
    int before;
    int after;
    int workers;
    int first_dialog = -1;
    int round;
    if (argc != 2) {
        fprintf(stderr, "usage: quillcore_reload LIBRARY\n");
        return 2;
    }
    path = argv[1];
    before = thread_count(&workers, 0);
    check(!still_loaded(path), "not loaded before the first load", 0);

    round_trip(path, 0, 2);
    after = thread_count(&workers, 0);
    check(after == before, "direct run: no thread left after the unload", 0);
    check(!still_loaded(path), "direct run: the library is unloaded", 0);

    for (round = 1; round <= 3; round++) {
        round_trip(path, round, 0);
        after = thread_count(&workers, round);
        check(after <= before || still_loaded(path),
              "threads outlive the unload only with the library kept loaded", round);
        /* The application and its threads are made once, not per load. */
        if (first_dialog < 0) {
            first_dialog = after - workers;
        }
        check(after - workers == first_dialog, "no threads but pool workers added since round 1",
              round);
    }

    if (failures != 0) {
        printf("%d step(s) FAILED\n", failures);
        return 1;
    }
    printf("all steps passed\n");
    return 0;
}
