// Preloaded into a Qt program running on X (LD_PRELOAD), it appends a line
// "frame <ns> <cpu ns>" with the CLOCK_MONOTONIC time and the CPU time the
// process has used so far to the file named by TARIMO_FRAME_LOG each time
// the program puts its window's pixels on the screen. The same probe goes into every program measured, so their first
// painted frames are timed alike. Qt's X backend sends a window's pixels
// with xcb_shm_put_image (shared memory), xcb_image_put (without it) and
// copies from pixmaps with xcb_copy_area. With TARIMO_FRAME_EXIT set, the
// program ends there, so that a profiler sees the way to the first frame.

#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" {

struct xcb_connection_t;
struct xcb_image_t;
struct xcb_void_cookie_t
{
    unsigned int sequence;
};

} // extern "C"

namespace {

void noteFrame()
{
    static const int log = [] {
        const char *path = std::getenv("TARIMO_FRAME_LOG");
        return path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }();
    if (log < 0)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    char line[64];
    const int length = std::snprintf(line, sizeof line, "frame %lld %lld\n",
                                     static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec,
                                     static_cast<long long>(cpu.tv_sec) * 1'000'000'000LL + cpu.tv_nsec);
    if (write(log, line, std::size_t(length)) != length) {
        // Nothing to be done: the figure will show the frame as missing.
    }
    // For a profile of the way to the first frame and no further.
    if (std::getenv("TARIMO_FRAME_EXIT"))
        _exit(0);
}

// The real function. The X backend is a plugin loaded with its libraries
// kept local, so RTLD_NEXT cannot see them: ask the library by name.
template<class Function>
Function real(const char *library, const char *name)
{
    void *handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        handle = dlopen(library, RTLD_LAZY);
    void *symbol = handle ? dlsym(handle, name) : nullptr;
    if (!symbol) {
        std::fprintf(stderr, "frame probe: %s not found in %s\n", name, library);
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) xcb_void_cookie_t
xcb_shm_put_image(xcb_connection_t *c, uint32_t drawable, uint32_t gc, uint16_t totalWidth, uint16_t totalHeight,
                  uint16_t srcX, uint16_t srcY, uint16_t srcWidth, uint16_t srcHeight, int16_t dstX, int16_t dstY,
                  uint8_t depth, uint8_t format, uint8_t sendEvent, uint32_t shmseg, uint32_t offset)
{
    using Function = xcb_void_cookie_t (*)(xcb_connection_t *, uint32_t, uint32_t, uint16_t, uint16_t, uint16_t,
                                           uint16_t, uint16_t, uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint8_t,
                                           uint32_t, uint32_t);
    static const Function function = real<Function>("libxcb-shm.so.0", "xcb_shm_put_image");
    noteFrame();
    return function(c, drawable, gc, totalWidth, totalHeight, srcX, srcY, srcWidth, srcHeight, dstX, dstY, depth,
                    format, sendEvent, shmseg, offset);
}

__attribute__((visibility("default"))) xcb_image_t *
xcb_image_put(xcb_connection_t *c, uint32_t draw, uint32_t gc, xcb_image_t *image, int16_t x, int16_t y,
              uint8_t leftPad)
{
    using Function = xcb_image_t *(*)(xcb_connection_t *, uint32_t, uint32_t, xcb_image_t *, int16_t, int16_t,
                                      uint8_t);
    static const Function function = real<Function>("libxcb-image.so.0", "xcb_image_put");
    noteFrame();
    return function(c, draw, gc, image, x, y, leftPad);
}

__attribute__((visibility("default"))) xcb_void_cookie_t
xcb_copy_area(xcb_connection_t *c, uint32_t srcDrawable, uint32_t dstDrawable, uint32_t gc, int16_t srcX,
              int16_t srcY, int16_t dstX, int16_t dstY, uint16_t width, uint16_t height)
{
    using Function = xcb_void_cookie_t (*)(xcb_connection_t *, uint32_t, uint32_t, uint32_t, int16_t, int16_t,
                                           int16_t, int16_t, uint16_t, uint16_t);
    static const Function function = real<Function>("libxcb.so.1", "xcb_copy_area");
    noteFrame();
    return function(c, srcDrawable, dstDrawable, gc, srcX, srcY, dstX, dstY, width, height);
}

} // extern "C"
