// The IBus engine type: GObject glue that hands every key to a KeyFront and shows what it holds, the
// composition as underlined preedit text and the candidate page through IBus's lookup table, and the
// bar's menu as the engine's properties.
#include "imvara/ibus/ibus_engine.h"

#include "imvara/engine/key_front.h"
#include "imvara/engine/word_file.h"

#include <ibus.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace imvara {
namespace {

IbusEngineShared* g_shared = nullptr;

struct ModeProperty {
    const char* key;
    const char* label;
    OutputMode mode;
};
constexpr std::array<ModeProperty, 4> kModeProperties = {{
    {"mode.standard", "标准文字", OutputMode::Standard},
    {"mode.traditional", "繁体文字", OutputMode::Traditional},
    {"mode.big5", "BIG5文字", OutputMode::Big5},
    {"mode.sjis", "SJIS文字", OutputMode::ShiftJis},
}};

struct WindowProperty {
    const char* key;
    const char* label;
    IbusEngineShared::Window window;
};
constexpr std::array<WindowProperty, 3> kWindowProperties = {{
    {"words", "造词管理...", IbusEngineShared::Window::Words},
    {"reverse", "文字反查...", IbusEngineShared::Window::Reverse},
    {"version", "版本信息...", IbusEngineShared::Window::Version},
}};
constexpr const char* kOutputMenuKey = "output";

IBusText* text(const char* utf8) { return ibus_text_new_from_string(utf8); }

// One engine's state: its input context's composition, and the properties it shows.
class EngineState : public CommitSink {
public:
    explicit EngineState(IBusEngine* engine)
        : m_engine(engine), m_front(g_shared->measure, g_shared->lookup, *this),
          m_properties(static_cast<IBusPropList*>(g_object_ref_sink(ibus_prop_list_new()))) {
        m_front.session().setWordFile(g_shared->wordFile);
        buildProperties();
    }
    ~EngineState() override { g_object_unref(m_properties); }
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    KeyFront& front() {
        // The output mode is the process's: a change from any input context applies to all of them.
        m_front.setOutputMode(g_shared->outputMode);
        return m_front;
    }

    void commit(const std::string& utf8) override { ibus_engine_commit_text(m_engine, text(utf8.c_str())); }

    // Shows the composition and the page when they changed since they were last shown.
    void show(bool force = false) {
        const std::string& preedit = m_front.preedit();
        const std::string& line = m_front.session().CandidateLine();
        if (!force && preedit == m_shownPreedit && line == m_shownLine)
            return;
        m_shownPreedit = preedit;
        m_shownLine = line;
        showPreedit(preedit);
        showPage(m_front.candidatePage());
    }

    void registerProperties() {
        updateModeStates();
        ibus_engine_register_properties(m_engine, m_properties);
    }

    void activate(const char* key, guint state) {
        for (const ModeProperty& mode : kModeProperties) {
            if (g_strcmp0(key, mode.key) == 0 && state == PROP_STATE_CHECKED) {
                g_shared->outputMode = mode.mode;
                updateModeStates();
                for (guint i = 0; IBusProperty* item = ibus_prop_list_get(m_modes, i); ++i)
                    ibus_engine_update_property(m_engine, item);
            }
        }
        for (const WindowProperty& window : kWindowProperties) {
            if (g_strcmp0(key, window.key) == 0 && g_shared->openWindow)
                g_shared->openWindow(window.window);
        }
    }

private:
    void showPreedit(const std::string& preedit) {
        if (preedit.empty()) {
            ibus_engine_hide_preedit_text(m_engine);
            return;
        }
        IBusText* shown = text(preedit.c_str());
        const auto length = static_cast<guint>(g_utf8_strlen(preedit.c_str(), -1));
        ibus_text_append_attribute(shown, IBUS_ATTR_TYPE_UNDERLINE, IBUS_ATTR_UNDERLINE_SINGLE, 0, length);
        // A focus change throws the letters away rather than leaving them typed in the text.
        ibus_engine_update_preedit_text_with_mode(m_engine, shown, length, TRUE, IBUS_ENGINE_PREEDIT_CLEAR);
    }

    // IBus pages a table by a fixed page size, and panels enable their page buttons from the cursor's
    // page and the number of candidates. Our pages differ in size and are made on demand, so the table
    // holds only the page shown, with a page of blanks before it when there is a previous page and one
    // blank after it when there is a next one.
    void showPage(const CandidatePage& page) {
        if (page.items.empty()) {
            ibus_engine_hide_lookup_table(m_engine);
            return;
        }
        const auto size = static_cast<guint>(page.items.size());
        IBusLookupTable* table = ibus_lookup_table_new(size, 0, TRUE, FALSE);
        ibus_lookup_table_set_orientation(table, IBUS_ORIENTATION_SYSTEM);
        if (page.hasPrevious) {
            for (guint i = 0; i < size; ++i)
                ibus_lookup_table_append_candidate(table, text(""));
        }
        for (guint i = 0; i < size; ++i) {
            ibus_lookup_table_append_candidate(table, text(page.items[i].text.c_str()));
            ibus_lookup_table_append_label(table, text(page.items[i].label.c_str()));
        }
        if (page.hasNext)
            ibus_lookup_table_append_candidate(table, text(""));
        ibus_lookup_table_set_cursor_pos(table, page.hasPrevious ? size : 0);
        ibus_engine_update_lookup_table(m_engine, table, TRUE);
    }

    // 文字输出 with its four modes as radio items, then the three windows, as on the bar's menu.
    void buildProperties() {
        m_modes = static_cast<IBusPropList*>(g_object_ref_sink(ibus_prop_list_new()));
        for (const ModeProperty& mode : kModeProperties) {
            ibus_prop_list_append(m_modes, ibus_property_new(mode.key, PROP_TYPE_RADIO, text(mode.label), nullptr,
                                                             nullptr, TRUE, TRUE, PROP_STATE_UNCHECKED, nullptr));
        }
        ibus_prop_list_append(m_properties, ibus_property_new(kOutputMenuKey, PROP_TYPE_MENU, text("文字输出"), nullptr,
                                                              nullptr, TRUE, TRUE, PROP_STATE_UNCHECKED, m_modes));
        g_object_unref(m_modes); // the menu property holds it now
        for (const WindowProperty& window : kWindowProperties) {
            ibus_prop_list_append(m_properties,
                                  ibus_property_new(window.key, PROP_TYPE_NORMAL, text(window.label), nullptr, nullptr,
                                                    TRUE, TRUE, PROP_STATE_UNCHECKED, nullptr));
        }
    }

    void updateModeStates() {
        for (guint i = 0; i < kModeProperties.size(); ++i) {
            IBusProperty* item = ibus_prop_list_get(m_modes, i);
            ibus_property_set_state(item, kModeProperties[i].mode == g_shared->outputMode ? PROP_STATE_CHECKED
                                                                                          : PROP_STATE_UNCHECKED);
        }
    }

    IBusEngine* m_engine;
    KeyFront m_front;
    IBusPropList* m_properties;
    IBusPropList* m_modes = nullptr;
    std::string m_shownPreedit;
    std::string m_shownLine;
};

} // namespace
} // namespace imvara

// The GObject type. Its instance carries the C++ state, made in init and freed in destroy.
struct ImvaraEngine {
    IBusEngine parent;
    imvara::EngineState* state;
};
struct ImvaraEngineClass {
    IBusEngineClass parent;
};

G_DEFINE_TYPE(ImvaraEngine, imvara_engine, IBUS_TYPE_ENGINE)

namespace {

imvara::EngineState& stateOf(IBusEngine* engine) { return *reinterpret_cast<ImvaraEngine*>(engine)->state; }

gboolean processKeyEvent(IBusEngine* engine, guint keyval, guint keycode, guint modifiers) {
    imvara::EngineState& state = stateOf(engine);
    const bool ours = state.front().processKey(keyval, keycode, modifiers);
    state.show();
    return ours ? TRUE : FALSE;
}

void focusIn(IBusEngine* engine) {
    imvara::EngineState& state = stateOf(engine);
    state.registerProperties();
    state.show(true);
}

void reset(IBusEngine* engine) {
    imvara::EngineState& state = stateOf(engine);
    state.front().reset();
    state.show();
}

void pageUp(IBusEngine* engine) {
    imvara::EngineState& state = stateOf(engine);
    state.front().pageUp();
    state.show();
}

void pageDown(IBusEngine* engine) {
    imvara::EngineState& state = stateOf(engine);
    state.front().pageDown();
    state.show();
}

void candidateClicked(IBusEngine* engine, guint index, guint /*button*/, guint /*state*/) {
    imvara::EngineState& state = stateOf(engine);
    state.front().chooseOnPage(static_cast<int>(index));
    state.show();
}

void propertyActivate(IBusEngine* engine, const gchar* name, guint propState) {
    stateOf(engine).activate(name, propState);
}

void destroy(IBusObject* object) {
    auto* self = reinterpret_cast<ImvaraEngine*>(object);
    delete self->state;
    self->state = nullptr;
    IBUS_OBJECT_CLASS(imvara_engine_parent_class)->destroy(object);
}

} // namespace

static void imvara_engine_init(ImvaraEngine* self) { self->state = new imvara::EngineState(&self->parent); }

static void imvara_engine_class_init(ImvaraEngineClass* klass) {
    IBUS_OBJECT_CLASS(klass)->destroy = destroy;
    IBusEngineClass* engine = IBUS_ENGINE_CLASS(klass);
    engine->process_key_event = processKeyEvent;
    engine->focus_in = focusIn;
    engine->reset = reset;
    engine->disable = reset;
    engine->page_up = pageUp;
    engine->page_down = pageDown;
    engine->candidate_clicked = candidateClicked;
    engine->property_activate = propertyActivate;
}

namespace imvara {

void addIbusEngine(IBusFactory* factory, IbusEngineShared& shared) {
    g_shared = &shared;
    ibus_factory_add_engine(factory, kIbusEngineName, imvara_engine_get_type());
}

} // namespace imvara
