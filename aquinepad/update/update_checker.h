// The update check the notepad runs once at start-up, after its window is shown, and from "更新程序(&U)".
#pragma once

#include "aquinepad/update/update_rules.h"

namespace aquinepad {

struct NotepadContext;

class UpdateChecker {
public:
    virtual ~UpdateChecker() = default;
    // Asks the maker's server for the latest version and offers it. Returns at once; what the server
    // says is shown later, on the window thread, and the window never waits for it.
    virtual void check(NotepadContext& context, CheckOccasion occasion) = 0;
};

// For tests and benchmarks of everything else: asks no server and shows nothing.
class InertUpdateChecker : public UpdateChecker {
public:
    void check(NotepadContext&, CheckOccasion) override {}
};

} // namespace aquinepad
