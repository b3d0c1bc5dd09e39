/* A host program of Hollin built against an installed copy (pkg-config, CMake's find_package, or
 * Hollin.h and Hollin.dll from the Windows ZIP): it links the library at build time rather than
 * loading it, and prints what the library reports. Plain C, as the header promises. */
#include <Hollin.h>
#include <stdio.h>

int main(void) {
    char name[HOLLIN_NAME_BUFFER_SIZE] = "";
    const int32_t userCount = ud_GetNumUsers();
    printf("users %d\n", (int)userCount);
    for (int32_t user = 0; user < userCount; ++user) {
        const int32_t result = ud_GetUserName(user, name);
        printf("user %d %d %s\n", (int)user, (int)result, result == HOLLIN_DONE ? name : "");
    }
    return 0;
}
