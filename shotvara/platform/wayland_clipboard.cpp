// data-control client: one source offering the picture as image/png, set as the selection of the first
// seat; each paste is written out whole, and the source's cancellation ends our turn.
#include "shotvara/platform/wayland_clipboard.h"

#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <unistd.h>

namespace shotvara {

namespace {

constexpr const char* kPngType = "image/png";

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_data_control_manager_v1* manager = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
        g->manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry = {global, globalRemove};

struct Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    Globals globals;

    Connection() {
        display = wl_display_connect(nullptr);
        if (!display)
            return;
        registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &kRegistry, &globals);
        wl_display_roundtrip(display);
    }
    ~Connection() {
        if (globals.manager)
            zwlr_data_control_manager_v1_destroy(globals.manager);
        if (globals.seat)
            wl_seat_destroy(globals.seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }
    bool usable() const { return display && globals.seat && globals.manager; }
};

struct Holder {
    std::string_view png;
    bool cancelled = false;
};

// A paste: the whole picture into the pasting program's pipe. A reader that goes away ends the write
// (SIGPIPE is ignored), not the keeper.
void send(void* data, zwlr_data_control_source_v1*, const char* mimeType, int32_t fd) {
    const auto* h = static_cast<Holder*>(data);
    if (std::strcmp(mimeType, kPngType) == 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        std::string_view left = h->png;
        while (!left.empty()) {
            const ssize_t n = ::write(fd, left.data(), left.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            left.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
}
void cancelled(void* data, zwlr_data_control_source_v1*) { static_cast<Holder*>(data)->cancelled = true; }
const zwlr_data_control_source_v1_listener kSource = {send, cancelled};

// Offers others make (the current selection) are of no interest: released as they come.
void dataOffer(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*) {}
void selection(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    if (offer)
        zwlr_data_control_offer_v1_destroy(offer);
}
void finished(void* data, zwlr_data_control_device_v1*) { static_cast<Holder*>(data)->cancelled = true; }
const zwlr_data_control_device_v1_listener kDevice = {dataOffer, selection, finished, selection};

} // namespace

bool waylandClipboardKeepable() { return Connection().usable(); }

int holdWaylandClipboard(const std::string& png, int readyFd, int hours) {
    std::signal(SIGPIPE, SIG_IGN);
    Connection c;
    if (!c.usable())
        return 2;
    Holder holder{png};
    zwlr_data_control_device_v1* device =
        zwlr_data_control_manager_v1_get_data_device(c.globals.manager, c.globals.seat);
    zwlr_data_control_device_v1_add_listener(device, &kDevice, &holder);
    zwlr_data_control_source_v1* source = zwlr_data_control_manager_v1_create_data_source(c.globals.manager);
    zwlr_data_control_source_v1_add_listener(source, &kSource, &holder);
    zwlr_data_control_source_v1_offer(source, kPngType);
    zwlr_data_control_device_v1_set_selection(device, source);
    if (wl_display_roundtrip(c.display) < 0 || holder.cancelled)
        return 3;
    const char ready = '1';
    if (::write(readyFd, &ready, 1) != 1)
        return 3;
    // The tool stops listening once it has its byte: the pipe goes now, not when we end.
    if (const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC); nowhere >= 0) {
        ::dup2(nowhere, readyFd);
        ::close(nowhere);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::hours(hours);
    int code = 0;
    while (!holder.cancelled) {
        while (wl_display_prepare_read(c.display) != 0)
            wl_display_dispatch_pending(c.display);
        wl_display_flush(c.display);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            wl_display_cancel_read(c.display);
            break;
        }
        pollfd p{wl_display_get_fd(c.display), POLLIN, 0};
        const int polled = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 60 * 1000)));
        if (polled <= 0) {
            wl_display_cancel_read(c.display);
            if (polled < 0 && errno != EINTR) {
                code = 3;
                break;
            }
            continue;
        }
        // The compositor gone (the session ended) ends the keeper too.
        if (wl_display_read_events(c.display) < 0 || wl_display_dispatch_pending(c.display) < 0)
            break;
    }
    zwlr_data_control_source_v1_destroy(source);
    zwlr_data_control_device_v1_destroy(device);
    return code;
}

} // namespace shotvara
