// wlr-screencopy client: binds the outputs and the screencopy manager, asks for one frame of the chosen
// output into a shared-memory buffer of the format the compositor names, and turns it into a picture.
#include "shotvara/platform/wlr_screencopy.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace shotvara {

namespace {

// A compositor that takes longer than this for one frame is not going to send it.
constexpr std::chrono::milliseconds kFrameWait{5000};

struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    std::string name;
};

struct Frame {
    // From the buffer event: the shared-memory layout the compositor will copy into.
    bool haveShm = false;
    std::uint32_t format = 0, width = 0, height = 0, stride = 0;
    bool bufferDone = false; // version 3 lists every buffer type, then says so
    bool yInvert = false;
    bool ready = false;
    bool failed = false;
};

struct Session {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_shm* shm = nullptr;
    zwlr_screencopy_manager_v1* manager = nullptr;
    std::uint32_t managerVersion = 0;
    zxdg_output_manager_v1* xdgManager = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;

    ~Session() {
        for (const auto& o : outputs) {
            if (o->xdg)
                zxdg_output_v1_destroy(o->xdg);
            wl_output_destroy(o->output);
        }
        if (xdgManager)
            zxdg_output_manager_v1_destroy(xdgManager);
        if (manager)
            zwlr_screencopy_manager_v1_destroy(manager);
        if (shm)
            wl_shm_destroy(shm);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }
};

void ignoreGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {
}
void ignoreMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
void ignoreDone(void*, wl_output*) {}
void ignoreScale(void*, wl_output*, int32_t) {}
void ignoreText(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {ignoreGeometry, ignoreMode, ignoreDone,
                                            ignoreScale,    ignoreText, ignoreText};

void xdgPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
void xdgSize(void*, zxdg_output_v1*, int32_t, int32_t) {}
void xdgDone(void*, zxdg_output_v1*) {}
void xdgName(void* data, zxdg_output_v1*, const char* name) { static_cast<Output*>(data)->name = name; }
void xdgDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgOutputListener = {xdgPosition, xdgSize, xdgDone, xdgName, xdgDescription};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto* s = static_cast<Session*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        s->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto o = std::make_unique<Output>();
        o->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        wl_output_add_listener(o->output, &kOutputListener, o.get());
        s->outputs.push_back(std::move(o));
    } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
        s->managerVersion = std::min<uint32_t>(version, 3);
        s->manager = static_cast<zwlr_screencopy_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, s->managerVersion));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        // Version 2 sends the output's name, by which it is matched to the screen Qt reports.
        if (version >= 2)
            s->xdgManager = static_cast<zxdg_output_manager_v1*>(
                wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, 2));
    }
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

void frameBuffer(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height,
                 uint32_t stride) {
    auto* f = static_cast<Frame*>(data);
    f->haveShm = true;
    f->format = format;
    f->width = width;
    f->height = height;
    f->stride = stride;
}
void frameFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
    static_cast<Frame*>(data)->yInvert = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}
void frameReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
    static_cast<Frame*>(data)->ready = true;
}
void frameFailed(void* data, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(data)->failed = true; }
void frameDamage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void frameDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {}
void frameBufferDone(void* data, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(data)->bufferDone = true; }
const zwlr_screencopy_frame_v1_listener kFrameListener = {frameBuffer, frameFlags,  frameReady,     frameFailed,
                                                          frameDamage, frameDmabuf, frameBufferDone};

// Dispatches events until `done` holds, the connection breaks or the time is up.
template <class Done> bool dispatchUntil(wl_display* display, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + kFrameWait;
    while (!done()) {
        while (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0)
                return false;
            if (done())
                return true;
        }
        wl_display_flush(display);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{wl_display_get_fd(display), POLLIN, 0};
        const int polled = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (polled <= 0) {
            wl_display_cancel_read(display);
            if (polled < 0 && errno == EINTR)
                continue;
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            return false;
    }
    return true;
}

// The QImage format whose memory layout is this little-endian wl_shm format, if any.
QImage::Format imageFormat(std::uint32_t shmFormat) {
    switch (shmFormat) {
    case WL_SHM_FORMAT_XRGB8888: return QImage::Format_RGB32;
    case WL_SHM_FORMAT_ARGB8888: return QImage::Format_ARGB32;
    case WL_SHM_FORMAT_XBGR8888: return QImage::Format_RGBX8888;
    case WL_SHM_FORMAT_ABGR8888: return QImage::Format_RGBA8888;
    default: return QImage::Format_Invalid;
    }
}

class Mapping {
public:
    Mapping(int fd, std::size_t size) : m_size(size) {
        void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        m_data = p == MAP_FAILED ? nullptr : p;
    }
    ~Mapping() {
        if (m_data)
            ::munmap(m_data, m_size);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    const uchar* data() const { return static_cast<const uchar*>(m_data); }

private:
    void* m_data = nullptr;
    std::size_t m_size;
};

aquine::Result<QImage> copyFrame(Session& s, wl_output* output) {
    constexpr const char* kRefused = "混成器没有交出屏幕画面（wlr-screencopy 截取失败）";
    Frame f;
    zwlr_screencopy_frame_v1* frame = zwlr_screencopy_manager_v1_capture_output(s.manager, 0, output);
    zwlr_screencopy_frame_v1_add_listener(frame, &kFrameListener, &f);
    const auto destroyFrame = std::unique_ptr<zwlr_screencopy_frame_v1, void (*)(zwlr_screencopy_frame_v1*)>(
        frame, zwlr_screencopy_frame_v1_destroy);
    // Before version 3 the shm buffer event is the whole offer; from 3 on, buffer_done ends the list.
    const bool listEnds = s.managerVersion >= 3;
    if (!dispatchUntil(s.display, [&] { return f.failed || (listEnds ? f.bufferDone : f.haveShm); }) || f.failed ||
        !f.haveShm)
        return aquine::fail(kRefused);
    const QImage::Format format = imageFormat(f.format);
    if (format == QImage::Format_Invalid)
        return aquine::fail("混成器给出的屏幕画面格式无法识别");
    if (f.width == 0 || f.height == 0 || f.stride < f.width * 4 || f.height > (1u << 15) || f.width > (1u << 15))
        return aquine::fail(kRefused);

    const std::size_t size = std::size_t{f.stride} * f.height;
    const int fd = ::memfd_create("shotvara-screen", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        if (fd >= 0)
            ::close(fd);
        return aquine::fail("内存不足，无法存放屏幕画面");
    }
    const Mapping mapping(fd, size);
    wl_shm_pool* pool = wl_shm_create_pool(s.shm, fd, static_cast<int32_t>(size));
    ::close(fd);
    wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, static_cast<int32_t>(f.width), static_cast<int32_t>(f.height),
                                  static_cast<int32_t>(f.stride), f.format);
    wl_shm_pool_destroy(pool);
    const auto destroyBuffer = std::unique_ptr<wl_buffer, void (*)(wl_buffer*)>(buffer, wl_buffer_destroy);
    if (!mapping.data())
        return aquine::fail("内存不足，无法存放屏幕画面");
    zwlr_screencopy_frame_v1_copy(frame, buffer);
    if (!dispatchUntil(s.display, [&] { return f.ready || f.failed; }) || !f.ready)
        return aquine::fail(kRefused);

    const QImage shared(mapping.data(), static_cast<int>(f.width), static_cast<int>(f.height),
                        static_cast<qsizetype>(f.stride), format);
    // RGB32 is what the rest of the tool draws and saves. The buffer goes with this function: copy out of
    // it even when the format is already right (a conversion to the same format would share it).
    QImage picture = format == QImage::Format_RGB32 ? shared.copy() : shared.convertToFormat(QImage::Format_RGB32);
    if (f.yInvert)
        picture = std::move(picture).mirrored(false, true);
    return picture;
}

} // namespace

ScreencopyAttempt grabWithScreencopy(const QString& outputName) {
    ScreencopyAttempt attempt;
    Session s;
    s.display = wl_display_connect(nullptr);
    if (!s.display)
        return attempt;
    s.registry = wl_display_get_registry(s.display);
    wl_registry_add_listener(s.registry, &kRegistryListener, &s);
    if (wl_display_roundtrip(s.display) < 0 || !s.manager || !s.shm)
        return attempt;
    attempt.offered = true;
    if (s.outputs.empty()) {
        attempt.picture = aquine::fail("没有找到可截取的显示器");
        return attempt;
    }
    if (s.xdgManager) {
        for (const auto& o : s.outputs) {
            o->xdg = zxdg_output_manager_v1_get_xdg_output(s.xdgManager, o->output);
            zxdg_output_v1_add_listener(o->xdg, &kXdgOutputListener, o.get());
        }
        wl_display_roundtrip(s.display);
    }
    wl_output* chosen = s.outputs.front()->output;
    const std::string wanted = outputName.toStdString();
    for (const auto& o : s.outputs) {
        if (!wanted.empty() && o->name == wanted)
            chosen = o->output;
    }
    attempt.picture = copyFrame(s, chosen);
    return attempt;
}

} // namespace shotvara
