// The candidates on screen for the Wayland front end: the bar's picture in shared memory, attached to the
// input popup the compositor places beside the text, or to a layer-shell panel where it places none.
#include "imvara/wayland/wayland_front.h"

#include "input-method-unstable-v2-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace imvara {

namespace {

// The X11 bar sits 30 px above the bottom of the screen; the panel that stands in for the popup too.
constexpr int kPanelBottomMargin = 30;

} // namespace

// A picture in shared memory, freed when the compositor lets go of it.
struct WaylandFront::Buffer {
    wl_buffer* buffer = nullptr;
    void* data = nullptr;
    std::size_t size = 0;
};

const zwp_input_popup_surface_v2_listener WaylandFront::kPopupListener = {
    // A compositor that tells where the text is places the popup there; the panel is not needed.
    [](void* data, zwp_input_popup_surface_v2*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
        auto* self = static_cast<WaylandFront*>(data);
        if (!self->m_popupPlaced) {
            self->m_popupPlaced = true;
            self->hidePanel();
        }
    },
};

const zwlr_layer_surface_v1_listener WaylandFront::kLayerListener = {
    [](void* data, zwlr_layer_surface_v1* surface, std::uint32_t serial, std::uint32_t, std::uint32_t) {
        auto* self = static_cast<WaylandFront*>(data);
        zwlr_layer_surface_v1_ack_configure(surface, serial);
        self->m_panelConfigured = true;
        if (!self->m_panelImage.isNull())
            self->showPanel(self->m_panelImage);
    },
    [](void* data, zwlr_layer_surface_v1*) { static_cast<WaylandFront*>(data)->hidePanel(); },
};

const wl_buffer_listener WaylandFront::kBufferListener = {
    [](void* data, wl_buffer*) {
        auto* buffer = static_cast<Buffer*>(data);
        wl_buffer_destroy(buffer->buffer);
        munmap(buffer->data, buffer->size);
        delete buffer;
    },
};

void WaylandFront::showCandidates(bool visible) {
    const std::string line = m_front.preedit() + '\n' + m_front.session().CandidateLine();
    if (visible == m_candidatesShown && (!visible || line == m_shownLine))
        return;
    m_candidatesShown = visible;
    m_shownLine = visible ? line : std::string();
    if (!visible || !m_paint) {
        wl_surface_attach(m_popupSurface, nullptr, 0, 0);
        wl_surface_commit(m_popupSurface);
        hidePanel();
        return;
    }
    const QImage image = m_paint();
    if (wl_buffer* buffer = makeBuffer(image)) {
        wl_surface_attach(m_popupSurface, buffer, 0, 0);
        wl_surface_damage_buffer(m_popupSurface, 0, 0, image.width(), image.height());
        wl_surface_commit(m_popupSurface);
    }
    // Until the compositor says where the text is, it may not show input popups at all (sway 1.7
    // keeps them hidden): the candidates then stand where the X11 bar stands, in a layer surface that
    // takes no keyboard focus.
    if (!m_popupPlaced && m_layerShell)
        showPanel(image);
}

void WaylandFront::showPanel(const QImage& image) {
    m_panelImage = image;
    if (!m_panel) {
        m_panelSurface = wl_compositor_create_surface(m_compositor);
        m_panel = zwlr_layer_shell_v1_get_layer_surface(m_layerShell, m_panelSurface, nullptr,
                                                        ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "imvara");
        zwlr_layer_surface_v1_add_listener(m_panel, &kLayerListener, this);
        zwlr_layer_surface_v1_set_anchor(m_panel, ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM);
        zwlr_layer_surface_v1_set_margin(m_panel, 0, 0, kPanelBottomMargin, 0);
        zwlr_layer_surface_v1_set_keyboard_interactivity(m_panel, 0);
        zwlr_layer_surface_v1_set_size(m_panel, static_cast<std::uint32_t>(image.width()),
                                       static_cast<std::uint32_t>(image.height()));
        m_panelConfigured = false;
        wl_surface_commit(m_panelSurface); // the first commit asks for a configure, without a picture
        return;
    }
    if (!m_panelConfigured)
        return;
    if (wl_buffer* buffer = makeBuffer(image)) {
        zwlr_layer_surface_v1_set_size(m_panel, static_cast<std::uint32_t>(image.width()),
                                       static_cast<std::uint32_t>(image.height()));
        wl_surface_attach(m_panelSurface, buffer, 0, 0);
        wl_surface_damage_buffer(m_panelSurface, 0, 0, image.width(), image.height());
        wl_surface_commit(m_panelSurface);
    }
}

void WaylandFront::hidePanel() {
    // A layer surface once unmapped must be made anew, so hiding destroys it.
    m_panelImage = QImage();
    m_panelConfigured = false;
    if (m_panel) {
        zwlr_layer_surface_v1_destroy(m_panel);
        m_panel = nullptr;
    }
    if (m_panelSurface) {
        wl_surface_destroy(m_panelSurface);
        m_panelSurface = nullptr;
    }
}

wl_buffer* WaylandFront::makeBuffer(const QImage& picture) {
    if (picture.isNull())
        return nullptr;
    // Premultiplied ARGB32 in memory is the compositor's ARGB8888 on a little-endian machine.
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int stride = static_cast<int>(image.bytesPerLine());
    auto* buffer = new Buffer;
    buffer->size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(image.height());
    const int fd = memfd_create("imvara-candidates", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(buffer->size)) < 0) {
        if (fd >= 0)
            close(fd);
        delete buffer;
        return nullptr;
    }
    buffer->data = mmap(nullptr, buffer->size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (buffer->data == MAP_FAILED) {
        close(fd);
        delete buffer;
        return nullptr;
    }
    std::memcpy(buffer->data, image.constBits(), buffer->size);
    wl_shm_pool* pool = wl_shm_create_pool(m_shm, fd, static_cast<std::int32_t>(buffer->size));
    buffer->buffer = wl_shm_pool_create_buffer(pool, 0, image.width(), image.height(), stride, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(buffer->buffer, &kBufferListener, buffer);
    return buffer->buffer;
}

} // namespace imvara
