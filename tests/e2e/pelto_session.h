// A running Pelto for the tests of the menu, hotkeys, drops and commands.
#pragma once
#include <string>

#include "driver_framework.h"
#include "driver_support.h"

namespace e2e {

struct PeltoSession {
    InstallFolder folder;
    PeltoProcess pelto;
    HWND skin = nullptr;

    explicit PeltoSession(const char* tag) : folder(tag) {}

    // Starts the default skin; aborts the test when Pelto does not come up.
    void Start() {
        REQUIRE_MSG(folder.ok(), "no install folder");
        REQUIRE_MSG(pelto.Start(folder), "Pelto did not start");
        skin = pelto.WaitForSkinWindow();
        REQUIRE_MSG(skin != nullptr, "no skin window: %s", pelto.Describe().c_str());
    }

    // Posts a command as the menu would (posted: a modal box it opens must not
    // block the driver).
    void Command(unsigned id) const { PostMessageA(skin, WM_COMMAND, id, 0); }
};

}  // namespace e2e
