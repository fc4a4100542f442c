/* Preloaded into the program by test_failures.py: holds a save when its new content is complete
 * but not yet in place, so that the test can kill the program exactly there.
 *
 * QSaveFile (Qt 6.4 on Linux) writes an unnamed O_TMPFILE, syncs it, then puts it in place:
 * linkat("/proc/self/fd/N", "cord") when no file of that name exists yet, otherwise
 * linkat(..., "cord.XXXXXX") and rename("cord.XXXXXX", "cord"); renameat2 is held too.
 *
 * TAVREL_STALL_RENAME  the base name whose save is held.
 * TAVREL_STALL_MARKER  written (aside, then renamed) when a call is held: "call=", "from=",
 *                      "to=" lines and an empty line. A rename's "from" is the new content.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* The hidden definition: dlsym's object pointer copied into a function pointer (ISO C). */
#define NEXT(name)                                  \
    __extension__({                                 \
        void* symbol_ = dlsym(RTLD_NEXT, #name);    \
        __typeof__(&name) next_;                    \
        if (symbol_ == NULL) abort();               \
        memcpy(&next_, &symbol_, sizeof next_);     \
        next_;                                      \
    })

static int held(const char* path) {
    const char* wanted = getenv("TAVREL_STALL_RENAME");
    if (path == NULL || wanted == NULL || wanted[0] == '\0') return 0;
    const char* base = strrchr(path, '/') ? strrchr(path, '/') + 1 : path;
    return strcmp(base, wanted) == 0;
}

/* Writes the marker, then blocks for good. */
static void stall(const char* call, const char* from, const char* to) {
    const char* marker = getenv("TAVREL_STALL_MARKER");
    char part[4096];
    snprintf(part, sizeof part, "%s.part", marker ? marker : "");
    FILE* out = marker && marker[0] ? fopen(part, "w") : NULL;
    if (out != NULL) {
        fprintf(out, "call=%s\nfrom=%s\nto=%s\n\n", call, from ? from : "", to);
        fclose(out);
        NEXT(rename)(part, marker);
    }
    for (;;) pause();
}

int rename(const char* from, const char* to) {
    if (held(to)) stall("rename", from, to);
    return NEXT(rename)(from, to);
}

int renameat2(int fromdir, const char* from, int todir, const char* to, unsigned int flags) {
    if (held(to)) stall("renameat2", from, to);
    return NEXT(renameat2)(fromdir, from, todir, to, flags);
}

/* A link onto an existing name puts nothing in place. */
int linkat(int fromdir, const char* from, int todir, const char* to, int flags) {
    struct stat existing;
    if (held(to) && fstatat(todir, to, &existing, AT_SYMLINK_NOFOLLOW) != 0) {
        stall("linkat", from, to);
    }
    return NEXT(linkat)(fromdir, from, todir, to, flags);
}
