/* Preloaded by test_failures.py: holds the save of the file named $TAVREL_STALL_RENAME once its
 * new content is complete under a temporary name (QSaveFile links its O_TMPFILE to
 * "name.XXXXXX", then renames that over "name"), so that the test kills the program there.
 * The held rename is told in $TAVREL_STALL_MARKER (written aside, then renamed): "from", "to". */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

static int really_rename(const char* from, const char* to) {
    return (int)syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0);
}

int rename(const char* from, const char* to) {
    const char* wanted = getenv("TAVREL_STALL_RENAME");
    const char* marker = getenv("TAVREL_STALL_MARKER");
    const char* base = strrchr(to, '/') ? strrchr(to, '/') + 1 : to;
    if (!wanted || !marker || strcmp(base, wanted) != 0)
        return really_rename(from, to);
    char aside[4096];
    snprintf(aside, sizeof aside, "%s.new", marker);
    FILE* out = fopen(aside, "w");
    if (out != NULL) {
        fprintf(out, "%s\n%s\n", from, to);
        fclose(out);
        really_rename(aside, marker);
    }
    for (;;)
        pause();
}
