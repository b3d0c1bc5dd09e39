/* Hollin: the HotSync users that Palm Desktop knows on this computer, and queueing a file for the
 * next HotSync of one of them. Host programs include this header and link the library, or load it
 * at run time and look the seven functions up by name (the *Fn types below).
 *
 * Text is 8-bit (the ANSI code page); every output buffer belongs to the caller. The library reads
 * Palm Desktop's settings on the first call and keeps them until it is unloaded. Installs are
 * serialised, among threads and among processes (see ud_InstallUser); the library may be called
 * from several threads. */
#ifndef HOLLIN_H
#define HOLLIN_H

#include <stdint.h>

/* The one place that decides how the exports are called and exported. The Windows build exports
 * them through a module-definition file (ordinals 1 to 7) with the __stdcall convention; on other
 * systems the calling convention is the platform's own and the names are the only visible symbols.
 */
#if defined(_WIN32)
#define HOLLIN_CALL __stdcall
#define HOLLIN_API
#else
#define HOLLIN_CALL
#define HOLLIN_API __attribute__((visibility("default")))
#endif

/* Results: 0 or a value on success, negative on failure. */
enum HollinResult {
    HOLLIN_DONE = 0,
    HOLLIN_NOT_FOUND = -1,    /* Palm Desktop's registry keys are missing */
    HOLLIN_NO_USER_LIST = -2, /* no data folder in the registry, or users.dat gave no users */
    HOLLIN_BAD_INDEX = -3,    /* user index below 0 or not below the number of users */
    HOLLIN_COPY_FAILED = -4,  /* the file could not be placed in the user's install folder */
    HOLLIN_FLAG_NOT_SET = -5 /* the user's install flag could not be set; the file was not placed */
};

/* The mutex (of the session) every install of Hollin.dll holds; another program that changes the
 * Install folders or the install flags may hold it too, to wait for Hollin's installs. */
#define HOLLIN_INSTALL_MUTEX "Local\\Hollin.InstallUser"

/* Capacities of the caller's buffers, terminating NUL included. */
#define HOLLIN_NAME_BUFFER_SIZE 33
#define HOLLIN_CORE_BUFFER_SIZE 257

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinal 1: copies filePath into the user's Install folder (<data folder>\<user folder>\Install,
 * created if needed) and sets the user's install flag: the number "Install<magic>" = 1 under the
 * key "Pilot Desktop\HotSync Manager". Either both happen and the result is 0, or neither does: on
 * any failure the Install folder holds what it held before (an earlier copy of the same name stays
 * as it was) and the result says why:
 *   -1, -2, -3  Palm Desktop not found, no user list, no user with that index
 *   -4          the file could not be read or copied, or the Install folder (links followed) would
 *               not lie inside the data folder (links followed)
 *   -5          the install flag could not be set: there is no HotSync Manager key, or the registry
 *               (on Linux the Wine prefix's user.reg, or the prefix folder) cannot be written
 * Installs wait for one another, also across processes: on Windows through the named mutex
 * HOLLIN_INSTALL_MUTEX, on Linux through a lock on the file user.reg.lock beside user.reg. */
HOLLIN_API int32_t HOLLIN_CALL ud_InstallUser(int32_t userIndex, const char* filePath);
/* Ordinal 2: the user's folder under the data folder (buffer of HOLLIN_NAME_BUFFER_SIZE bytes). */
HOLLIN_API int32_t HOLLIN_CALL ud_GetUserSubDir(int32_t userIndex, char* subDir);
/* Ordinal 3: the user's name (buffer of HOLLIN_NAME_BUFFER_SIZE bytes). */
HOLLIN_API int32_t HOLLIN_CALL ud_GetUserName(int32_t userIndex, char* userName);
/* Ordinal 4: the user's number (0 to 65535), or a negative result. */
HOLLIN_API int32_t HOLLIN_CALL ud_GetUserMagic(int32_t userIndex);
/* Ordinal 5: Palm Desktop's data folder as the registry holds it (HOLLIN_CORE_BUFFER_SIZE bytes).
 */
HOLLIN_API int32_t HOLLIN_CALL ud_GetCore(char* corePath);
/* Ordinal 6: index of the last user who ran Palm Desktop (0 when unknown), or -1. */
HOLLIN_API int32_t HOLLIN_CALL ud_GetLastUserNumber(void);
/* Ordinal 7: number of users (0 to 255), or -1. */
HOLLIN_API int32_t HOLLIN_CALL ud_GetNumUsers(void);

#ifdef __cplusplus
}
#endif

typedef int32_t(HOLLIN_CALL* ud_InstallUserFn)(int32_t, const char*);
typedef int32_t(HOLLIN_CALL* ud_GetUserSubDirFn)(int32_t, char*);
typedef int32_t(HOLLIN_CALL* ud_GetUserNameFn)(int32_t, char*);
typedef int32_t(HOLLIN_CALL* ud_GetUserMagicFn)(int32_t);
typedef int32_t(HOLLIN_CALL* ud_GetCoreFn)(char*);
typedef int32_t(HOLLIN_CALL* ud_GetLastUserNumberFn)(void);
typedef int32_t(HOLLIN_CALL* ud_GetNumUsersFn)(void);

#endif /* HOLLIN_H */
