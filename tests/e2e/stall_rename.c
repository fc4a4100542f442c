/* Preloaded into the program by the crash-safety tests: holds a save at the moment its new
 * content is complete but not yet in place, so that a test can kill the program exactly there.
 *
 * QSaveFile (Qt 6.4 on Linux) writes an unnamed O_TMPFILE, syncs it, then puts it in place:
 * linkat("/proc/self/fd/N", "cord") when no file of that name exists yet, otherwise
 * linkat(..., "cord.XXXXXX") followed by rename("cord.XXXXXX", "cord"). Every call that can
 * put a file in place is wrapped here: rename, renameat, renameat2, linkat and link (a link onto
 * a name that already exists fails with EEXIST and puts nothing in place, so it goes through).
 *
 * TAVREL_STALL_RENAME  "1" for both state files, or a comma-separated list of base names
 *                      ("cord", "test"); unset or empty: every call goes straight through.
 * TAVREL_STALL_MARKER  the file written when a call is held: a header of "key=value" lines
 *                      (call, from, to), an empty line, then the bytes that were about to be
 *                      put in place. It appears whole (written aside, then renamed).
 *
 * After writing the marker the calling thread blocks for good.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

typedef int (*rename_fn)(const char*, const char*);
typedef int (*renameat_fn)(int, const char*, int, const char*);
typedef int (*renameat2_fn)(int, const char*, int, const char*, unsigned int);
typedef int (*linkat_fn)(int, const char*, int, const char*, int);
typedef int (*link_fn)(const char*, const char*);

/* The definition this library hides; dlsym's object pointer is copied into a function
 * pointer of the caller's type (a plain cast is not ISO C). */
static void next_symbol(const char* name, void* function_pointer, size_t size) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == NULL || size != sizeof symbol) {
        fprintf(stderr, "stall_rename: no next definition of %s\n", name);
        abort();
    }
    memcpy(function_pointer, &symbol, size);
}
#define NEXT(type, name) \
    __extension__({ \
        type next_; \
        next_symbol(#name, &next_, sizeof next_); \
        next_; \
    })

static int is_stalled_name(const char* path) {
    const char* wanted = getenv("TAVREL_STALL_RENAME");
    if (path == NULL || wanted == NULL || wanted[0] == '\0') {
        return 0;
    }
    const char* slash = strrchr(path, '/');
    const char* base = slash ? slash + 1 : path;
    if (strcmp(wanted, "1") == 0) {
        return strcmp(base, "cord") == 0 || strcmp(base, "test") == 0;
    }
    size_t length = strlen(base);
    for (const char* item = wanted; *item != '\0';) {
        const char* end = strchr(item, ',');
        size_t item_length = end ? (size_t)(end - item) : strlen(item);
        if (item_length == length && strncmp(item, base, length) == 0) {
            return 1;
        }
        if (end == NULL) {
            break;
        }
        item = end + 1;
    }
    return 0;
}

static int write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t done = write(fd, data, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return -1;
        }
        data += done;
        size -= (size_t)done;
    }
    return 0;
}

/* Copies the content of the file about to be put in place (source_fd, read from offset 0)
 * into the marker file, then blocks. */
static void stall(const char* call, const char* from, const char* to, int source_fd) {
    const char* marker = getenv("TAVREL_STALL_MARKER");
    if (marker != NULL && marker[0] != '\0') {
        char part[4096];
        snprintf(part, sizeof part, "%s.part", marker);
        int out = open(part, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out >= 0) {
            char header[8192];
            int length = snprintf(header, sizeof header, "call=%s\nfrom=%s\nto=%s\n\n", call,
                                  from ? from : "", to ? to : "");
            int ok = write_all(out, header, (size_t)length) == 0;
            char buffer[65536];
            off_t offset = 0;
            ssize_t got;
            while (ok && source_fd >= 0 &&
                   (got = pread(source_fd, buffer, sizeof buffer, offset)) > 0) {
                ok = write_all(out, buffer, (size_t)got) == 0;
                offset += got;
            }
            close(out);
            NEXT(rename_fn, rename)(part, marker);
        }
    }
    if (source_fd >= 0) {
        close(source_fd);
    }
    for (;;) {
        pause();
    }
}

static int open_source(int dirfd, const char* path, int empty_path_allowed) {
    if (empty_path_allowed && (path == NULL || path[0] == '\0')) {
        return fcntl(dirfd, F_DUPFD_CLOEXEC, 0);
    }
    return openat(dirfd, path, O_RDONLY | O_CLOEXEC);
}

int rename(const char* from, const char* to) {
    if (is_stalled_name(to)) {
        stall("rename", from, to, open_source(AT_FDCWD, from, 0));
    }
    return NEXT(rename_fn, rename)(from, to);
}

int renameat(int fromdir, const char* from, int todir, const char* to) {
    if (is_stalled_name(to)) {
        stall("renameat", from, to, open_source(fromdir, from, 0));
    }
    return NEXT(renameat_fn, renameat)(fromdir, from, todir, to);
}

int renameat2(int fromdir, const char* from, int todir, const char* to, unsigned int flags) {
    if (is_stalled_name(to)) {
        stall("renameat2", from, to, open_source(fromdir, from, 0));
    }
    return NEXT(renameat2_fn, renameat2)(fromdir, from, todir, to, flags);
}

int linkat(int fromdir, const char* from, int todir, const char* to, int flags) {
    if (is_stalled_name(to)) {
        struct stat existing;
        if (fstatat(todir, to, &existing, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) {
            stall("linkat", from, to, open_source(fromdir, from, (flags & AT_EMPTY_PATH) != 0));
        }
    }
    return NEXT(linkat_fn, linkat)(fromdir, from, todir, to, flags);
}

int link(const char* from, const char* to) {
    if (is_stalled_name(to)) {
        struct stat existing;
        if (lstat(to, &existing) != 0 && errno == ENOENT) {
            stall("link", from, to, open_source(AT_FDCWD, from, 0));
        }
    }
    return NEXT(link_fn, link)(from, to);
}
