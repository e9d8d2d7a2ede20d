// The update check the notepad runs once at start-up, after its window is placed.
#pragma once

namespace aquinepad {

class UpdateChecker {
public:
    virtual ~UpdateChecker() = default;
    // Asks the maker's server for the latest version and offers it; returns when that is settled.
    virtual void checkAtStartup() = 0;
};

// Until the network check arrives, start-up asks no server and shows nothing.
class InertUpdateChecker : public UpdateChecker {
public:
    void checkAtStartup() override {}
};

} // namespace aquinepad
