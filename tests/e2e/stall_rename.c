/* Preloaded by test_desktop.py: holds the save of the file named $TAVREL_STALL_RENAME once its
 * new content is complete under a temporary name (QSaveFile links its O_TMPFILE to
 * "name.XXXXXX", then renames that over "name"), so that the test kills the program there.
 * The held rename is told at once by a symbolic link $TAVREL_STALL_MARKER to "from\nto". */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int rename(const char* from, const char* to) {
    const char* wanted = getenv("TAVREL_STALL_RENAME");
    const char* marker = getenv("TAVREL_STALL_MARKER");
    const char* slash = strrchr(to, '/');
    if (!wanted || !marker || strcmp(slash ? slash + 1 : to, wanted) != 0)
        return renameat(AT_FDCWD, from, AT_FDCWD, to); /* not this function again */
    char both[8192];
    snprintf(both, sizeof both, "%s\n%s", from, to);
    if (symlink(both, marker) != 0)
        return -1; /* the test waits for the link in vain and fails */
    for (;;)
        pause();
}
