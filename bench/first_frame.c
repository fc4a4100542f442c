/* Preloaded by run_bench.py into the program and into the minimal Qt program alike: notes
 * when each sends its first picture of a window to the X server, so that start-up can be timed
 * to the first painted window and not only to the first mapped one (a window is mapped before
 * anything is painted in it, and a program may leave work, like loading fonts, until then).
 *
 * Qt's X11 backing store puts a painted region on screen with xcb_shm_put_image (MIT-SHM) or,
 * without shared memory, an image put followed by xcb_copy_area; nothing else in a widget
 * program calls either before the first paint. Both are wrapped here.
 *
 * TAVREL_FIRST_FRAME_LOG  the file that receives one line, "<call> <CLOCK_MONOTONIC ms>", at
 *                         the first call; unset: the calls go straight through.
 * TAVREL_FIRST_FRAME_EXIT set: the process ends at the first call, before the picture is sent,
 *                         so that `valgrind --tool=callgrind` counts the instructions from exec
 *                         to the first picture (a figure that does not move with the machine's
 *                         load, unlike the times).
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

/* The two calls' prototypes, written out because the xcb development headers for MIT-SHM
 * are not needed anywhere else. */
typedef struct xcb_connection_t xcb_connection_t;
typedef struct {
    unsigned int sequence;
} xcb_void_cookie_t;

typedef xcb_void_cookie_t (*shm_put_image_fn)(xcb_connection_t*, uint32_t, uint32_t, uint16_t,
                                              uint16_t, uint16_t, uint16_t, uint16_t, uint16_t,
                                              int16_t, int16_t, uint8_t, uint8_t, uint8_t, uint32_t,
                                              uint32_t);
typedef xcb_void_cookie_t (*copy_area_fn)(xcb_connection_t*, uint32_t, uint32_t, uint32_t, int16_t,
                                          int16_t, int16_t, int16_t, uint16_t, uint16_t);

static int noted;

/* The definition this library hides, looked up in its own library: Qt's X11 plugin is opened
 * with RTLD_LOCAL, so the libraries it brings are not in the global scope that RTLD_NEXT
 * searches. The library is loaded already, since the caller was linked against it. dlsym's
 * object pointer is copied into a function pointer (a plain cast is not ISO C). */
static void next_symbol(const char* library, const char* name, void* function_pointer,
                        size_t size) {
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    void* symbol = handle != NULL ? dlsym(handle, name) : NULL;
    if (symbol == NULL || size != sizeof symbol) {
        fprintf(stderr, "first_frame: no definition of %s in %s\n", name, library);
        abort();
    }
    memcpy(function_pointer, &symbol, size);
}

/* Appends "<call> <CLOCK_MONOTONIC ms>" to the file at `path`. */
static void write_line(const char* path, const char* call) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[96];
    const int length = snprintf(line, sizeof line, "%s %.3f\n", call,
                                (double)now.tv_sec * 1e3 + (double)now.tv_nsec / 1e6);
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
        if (write(fd, line, (size_t)length) != length) {
            /* The benchmark then reports no painted window; nothing else to do. */
        }
        close(fd);
    }
}

static void note(const char* call) {
    if (noted) {
        return;
    }
    noted = 1;
    const char* path = getenv("TAVREL_FIRST_FRAME_LOG");
    if (path != NULL && *path != '\0') {
        write_line(path, call);
    }
    if (getenv("TAVREL_FIRST_FRAME_EXIT") != NULL) {
        _exit(0);
    }
}

xcb_void_cookie_t xcb_shm_put_image(xcb_connection_t* c, uint32_t drawable, uint32_t gc,
                                    uint16_t total_width, uint16_t total_height, uint16_t src_x,
                                    uint16_t src_y, uint16_t src_width, uint16_t src_height,
                                    int16_t dst_x, int16_t dst_y, uint8_t depth, uint8_t format,
                                    uint8_t send_event, uint32_t shmseg, uint32_t offset) {
    note("xcb_shm_put_image");
    shm_put_image_fn next;
    next_symbol("libxcb-shm.so.0", "xcb_shm_put_image", &next, sizeof next);
    return next(c, drawable, gc, total_width, total_height, src_x, src_y, src_width, src_height,
                dst_x, dst_y, depth, format, send_event, shmseg, offset);
}

xcb_void_cookie_t xcb_copy_area(xcb_connection_t* c, uint32_t src, uint32_t dst, uint32_t gc,
                                int16_t src_x, int16_t src_y, int16_t dst_x, int16_t dst_y,
                                uint16_t width, uint16_t height) {
    note("xcb_copy_area");
    copy_area_fn next;
    next_symbol("libxcb.so.1", "xcb_copy_area", &next, sizeof next);
    return next(c, src, dst, gc, src_x, src_y, dst_x, dst_y, width, height);
}
