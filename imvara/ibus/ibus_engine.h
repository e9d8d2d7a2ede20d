// The input method as an IBus engine: the factory makes one engine per input context of the
// applications, each with its own composition over the one lookup text of this process.
#pragma once

#include "imvara/engine/session.h"
#include "imvara/engine/text_measure.h"

#include <functional>

typedef struct _IBusFactory IBusFactory;

namespace imvara {

class WordFile;

// The engine's name, as the component file gives it and the factory registers it.
inline constexpr const char* kIbusEngineName = "imvara";

// What every engine of the process shares: the words, the widths of the bar's font (the pages break
// where the bar's do), the output mode, and who opens the menu's windows.
struct IbusEngineShared {
    enum class Window { Words, Reverse, Version };

    LookupText& lookup;
    const TextMeasure& measure;
    WordFile* wordFile = nullptr;
    std::function<void(Window)> openWindow;
    OutputMode outputMode = OutputMode::Standard;
};

// Registers the engine type with the factory; the shared state must outlive every engine.
void addIbusEngine(IBusFactory* factory, IbusEngineShared& shared);

} // namespace imvara
