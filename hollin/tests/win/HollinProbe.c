/* hollin-probe: loads Hollin.dll from its own folder, as a host program would, and prints what the
 * exports answer, one fact a line, so that a script can compare the output with what it expects.
 *
 *   hollin-probe exports             each export by ordinal and by name: the same function?
 *   hollin-probe list                the user list, with the answers at and past its end
 *   hollin-probe install USER FILE   the result of queueing FILE for user USER
 *   hollin-probe hold-lock FILE      takes the mutex every install holds, prints "held", and
 *                                    keeps it until FILE exists; then prints "released"
 *
 * Output buffers are filled with '#' before each call, so that a buffer the library left alone
 * shows as "untouched". */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Hollin.h"

static const char* const exportNames[7] = {
    "ud_InstallUser", "ud_GetUserSubDir",     "ud_GetUserName", "ud_GetUserMagic",
    "ud_GetCore",     "ud_GetLastUserNumber", "ud_GetNumUsers",
};

static FARPROC exportsByOrdinal[7];

/* Casting between function pointer types through FARPROC is how GetProcAddress is meant to be
 * used; the intermediate union keeps -Wpedantic quiet about object/function pointer casts. */
typedef union {
    FARPROC any;
    ud_InstallUserFn installUser;
    ud_GetUserSubDirFn getUserSubDir;
    ud_GetUserNameFn getUserName;
    ud_GetUserMagicFn getUserMagic;
    ud_GetCoreFn getCore;
    ud_GetLastUserNumberFn getLastUserNumber;
    ud_GetNumUsersFn getNumUsers;
} ExportPointer;

static ExportPointer byOrdinal(int ordinal) {
    ExportPointer pointer;
    pointer.any = exportsByOrdinal[ordinal - 1];
    return pointer;
}

static HMODULE loadLibraryBesideProgram(void) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    char* lastSeparator;
    if (length == 0 || length >= MAX_PATH) {
        return NULL;
    }
    lastSeparator = strrchr(path, '\\');
    if (lastSeparator == NULL ||
        (size_t)(lastSeparator - path) + sizeof "\\Hollin.dll" > MAX_PATH) {
        return NULL;
    }
    strcpy(lastSeparator, "\\Hollin.dll");
    return LoadLibraryA(path);
}

/* Looks every export up by ordinal and by name; 0 when all seven are there and agree. */
static int lookUpExports(HMODULE library, int verbose) {
    int faults = 0;
    int ordinal;
    for (ordinal = 1; ordinal <= 7; ++ordinal) {
        const FARPROC numbered = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
        const FARPROC named = GetProcAddress(library, exportNames[ordinal - 1]);
        const int agree = numbered != NULL && numbered == named;
        exportsByOrdinal[ordinal - 1] = numbered;
        if (verbose) {
            printf("ordinal %d %s %s\n", ordinal, exportNames[ordinal - 1],
                   agree ? "same" : (numbered == NULL ? "missing-ordinal" : "differs"));
        }
        faults += !agree;
    }
    return faults;
}

static void fillBuffer(char* buffer, size_t size) {
    memset(buffer, '#', size - 1);
    buffer[size - 1] = '\0';
}

static void printText(const char* label, int32_t result, const char* buffer) {
    if (buffer[0] == '#') {
        printf("%s %ld untouched", label, (long)result);
    } else {
        printf("%s %ld \"%s\"", label, (long)result, buffer);
    }
}

static void printUser(int32_t index) {
    char name[HOLLIN_NAME_BUFFER_SIZE + 8];
    char subDir[HOLLIN_NAME_BUFFER_SIZE + 8];
    int32_t result;
    printf("user %ld ", (long)index);
    fillBuffer(name, sizeof name);
    result = byOrdinal(3).getUserName(index, name);
    printText("name", result, name);
    fillBuffer(subDir, sizeof subDir);
    result = byOrdinal(2).getUserSubDir(index, subDir);
    printText(" subdir", result, subDir);
    printf(" magic %ld\n", (long)byOrdinal(4).getUserMagic(index));
}

static void listUsers(void) {
    char core[HOLLIN_CORE_BUFFER_SIZE + 8];
    int32_t count;
    int32_t index;
    fillBuffer(core, sizeof core);
    printText("core", byOrdinal(5).getCore(core), core);
    printf("\n");
    count = byOrdinal(7).getNumUsers();
    printf("users %ld\n", (long)count);
    printf("last %ld\n", (long)byOrdinal(6).getLastUserNumber());
    printUser(-1);
    for (index = 0; index < count; ++index) {
        printUser(index);
    }
    /* One past the end, and the first user again when there is no list. */
    printUser(count > 0 ? count : 0);
}

/* Holds the installs' mutex as another program queueing files would, so that a script can see an
 * install wait for it. */
static int holdInstallLock(const char* releaseFile) {
    const HANDLE mutex = CreateMutexA(NULL, FALSE, HOLLIN_INSTALL_MUTEX);
    DWORD waited;
    if (mutex == NULL) {
        printf("mutex not created (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        printf("mutex not taken (error %lu)\n", (unsigned long)GetLastError());
        CloseHandle(mutex);
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    while (GetFileAttributesA(releaseFile) == INVALID_FILE_ATTRIBUTES) {
        Sleep(50);
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    printf("released\n");
    return 0;
}

static const char usage[] =
    "usage: hollin-probe exports | list | install USER FILE | hold-lock FILE\n";

int main(int argc, char** argv) {
    HMODULE library;
    if (argc < 2) {
        fputs(usage, stderr);
        return 2;
    }
    if (strcmp(argv[1], "hold-lock") == 0 && argc == 3) {
        return holdInstallLock(argv[2]);
    }
    library = loadLibraryBesideProgram();
    if (library == NULL) {
        printf("Hollin.dll not loaded (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    if (strcmp(argv[1], "exports") == 0) {
        return lookUpExports(library, 1) == 0 ? 0 : 1;
    }
    if (lookUpExports(library, 0) != 0) {
        printf("exports missing\n");
        return 1;
    }
    if (strcmp(argv[1], "list") == 0) {
        listUsers();
        return 0;
    }
    if (strcmp(argv[1], "install") == 0 && argc == 4) {
        printf("install %ld\n",
               (long)byOrdinal(1).installUser((int32_t)strtol(argv[2], NULL, 10), argv[3]));
        return 0;
    }
    fputs(usage, stderr);
    return 2;
}
