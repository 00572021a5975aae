// A running Pelto for the tests of the menu, hotkeys, drops and commands.
#pragma once
#include <string>

#include "driver_framework.h"
#include "driver_support.h"
#include "menu_support.h"
#include "target_support.h"

namespace e2e {

struct PeltoSession {
    InstallFolder folder;
    PeltoProcess pelto;
    HWND skin = nullptr;

    explicit PeltoSession(const char* tag) : folder(tag) {}

    // Starts the default skin; aborts the test when Pelto does not come up.
    void Start() {
        ASSERT_TRUE(folder.ok()) << "no install folder";
        ASSERT_TRUE(pelto.Start(folder)) << "Pelto did not start";
        skin = pelto.WaitForSkinWindow();
        ASSERT_TRUE(skin != nullptr) << "no skin window: " << pelto;
    }

    // The same after prepare(folder) has written the test's files.
    template <class Prepare>
    void Start(Prepare prepare) {
        ASSERT_TRUE(folder.ok() && prepare(static_cast<const InstallFolder&>(folder))) << "cannot write the test files";
        Start();
    }

    // A main-menu command chosen as a user does (menu_support.h); aborts the test when it cannot be.
    void ChooseFromMenu(unsigned id) const {
        std::string why;
        ASSERT_TRUE(ChooseFromMainMenu(pelto, id, &why)) << Format("main menu command %u: %s", id, why.c_str());
    }

    // A command that opens the dialog with that caption, owned by the skin window, and the dialog; aborts without one.
    HWND OpenDialog(unsigned id, const std::string& caption) const {
        ChooseFromMenu(id);
        HWND dialog = WaitForDialog(pelto.pid(), caption);
        [&] { ASSERT_TRUE(dialog != nullptr) << Format("command %u opened no dialog \"%s\": ", id, Printable(caption).c_str()) << pelto; }();
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), skin) << "the owner of the dialog \"" << Printable(caption) << "\"";
        return dialog;
    }

    // Only for ids no menu row carries (launcher popup positions, ids that must do nothing):
    // the message itself is what such a test is about.
    void PostCommand(unsigned id) const { PostMessageA(skin, WM_COMMAND, id, 0); }
};

// A test that begins with Pelto started from a fresh copy named after it (default setting and skin).
class StartedPelto : public ::testing::Test {
protected:
    PeltoSession s{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    void SetUp() override { s.Start(); }
};

}  // namespace e2e
