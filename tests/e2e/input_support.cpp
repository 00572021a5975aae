#include "input_support.h"

#include <cstdio>
#include <string>

#include "driver_framework.h"
#include "driver_support.h"
#include "target_support.h"

namespace e2e {

namespace {

bool Send(std::vector<INPUT> inputs) {
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

INPUT KeyInput(WORD vk, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = flags;
    return in;
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.dx = dx;
    in.mi.dy = dy;
    return in;
}

// A pixel of the virtual screen in the 0..65535 scale of an absolute move.
LONG Normalised(LONG pixel, int origin, int extent) {
    return static_cast<LONG>((static_cast<long long>(pixel - origin) * 65536 + extent - 1) / extent);
}

bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// Whether a tick could glide the pointer to the window in front: titled, no skin, not under the pointer.
bool MayGlideTo(HWND front) {
    if (!front || WindowText(front).empty() || ClassNameOf(front) == kSkinClass) return false;
    RECT r = WindowRect(front);
    const POINT p = CursorPos();
    return !(r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom);
}

// Every running Pelto answers at once: none is in a glide, which holds its loop.
bool EveryPeltoAnswers() {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kSkinClass, nullptr)) != nullptr)
        if (!WindowAnswers(w, 2000)) return false;
    return true;
}

UINT_PTR HitTest(HWND window, POINT p) {
    DWORD_PTR hit = 0;
    return SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 2000, &hit) ? hit : HTNOWHERE;
}

// Whether a click at the point reaches expectedHit. Across processes Wine's WindowFromPoint
// cannot ask a group box for its hit test and names it; the box is transparent to clicks.
bool ClickReaches(POINT point, HWND expectedHit) {
    const HWND hit = WindowFromPoint(point);
    if (hit == expectedHit) return true;
    const HWND parent = GetParent(expectedHit);
    return hit && parent && GetParent(hit) == parent && ClassNameOf(hit) == "Button" &&
           (GetWindowLongPtrA(hit, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The pointer at rest (a glide would carry the press off) on a point that reaches the window, the button down.
bool PressAt(HWND window, POINT at, int button) {
    WaitForPointerToRest();
    // A window just brought to the front is raised by its own thread, a moment later.
    if (!WaitUntil(2000, [&] {
            const HWND hit = WindowFromPoint(at);
            return hit == window || IsChild(window, hit) || ClickReaches(at, window);
        }))
        return false;
    // A late X crossing event read by the window's thread can put Wine's pointer back where it was
    // after the move: pressed only once that thread has answered with the pointer still on the point.
    for (int move = 0; move < 3; ++move) {
        if (!MoveMouse(at)) return false;
        WaitForWindowIdle(window, 3000);  // a busy thread is not waited for long: the pointer decides
        if (PointerAt(at.x, at.y)) return MouseButton(button, true);
        std::printf("  the pointer left (%ld, %ld) before the press: moved there again\n", at.x, at.y);
    }
    return false;
}

// The keys pressed in order and released in reverse.
std::vector<INPUT> ChordInputs(const std::vector<WORD>& chord) {
    std::vector<INPUT> inputs;
    for (WORD vk : chord) inputs.push_back(KeyInput(vk, 0));
    for (auto it = chord.rbegin(); it != chord.rend(); ++it) inputs.push_back(KeyInput(*it, KEYEVENTF_KEYUP));
    return inputs;
}

bool PressChordsOn(HWND window, const std::vector<std::vector<WORD>>& chords) {
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const std::vector<WORD>& chord = chords[i];
        // Wine may hand the foreground on as it follows the X focus: the window is
        // brought back (and logged), as a user clicks back into it.
        if (GetForegroundWindow() != window) {
            if (i > 0)
                std::printf("  before key 0x%02X \"%s\" was in front, not \"%s\"\n", chord.back(),
                            WindowText(GetForegroundWindow()).c_str(), WindowText(window).c_str());
            SetForegroundWindow(window);
        }
        if (!WaitUntil(3000, [&] { return GetForegroundWindow() == window; })) return false;
        if (!Send(ChordInputs(chord))) return false;
        WaitForWindowIdle(window);
    }
    return true;
}

// A point of the window (its middle when free) where a click reaches expectedHit.
bool UncoveredPoint(HWND window, HWND expectedHit, POINT* point) {
    RECT r = WindowRect(window);
    if (r.right - r.left < 5 || r.bottom - r.top < 5) return false;
    // The middle first, then a grid over the inside, 2 pixels in from the edges.
    *point = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (ClickReaches(*point, expectedHit)) return true;
    for (int step = 0; step < 5; ++step)
        for (int across = 0; across < 9; ++across) {
            *point = {r.left + 2 + (r.right - r.left - 5) * across / 8, r.top + 2 + (r.bottom - r.top - 5) * step / 4};
            if (ClickReaches(*point, expectedHit)) return true;
        }
    return false;
}

}  // namespace

bool MoveMouse(POINT to) {
    // With the window in front hidden (stored in the tray) or none, Wine moves its own
    // pointer but not X's and no window gets motion: the pointer is moved in X then.
    const HWND front = GetForegroundWindow();
    if (!front || !IsWindowVisible(front))
        return Xdotool(Format("mousemove %ld %ld", to.x, to.y)) &&
               WaitUntil(3000, [&] { return PointerAt(to.x, to.y); }, 5);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    LONG dx = Normalised(to.x, x, w), dy = Normalised(to.y, y, h);
    // The scale may round a pixel off: one step at a time towards the point.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (!Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, dx, dy)})) return false;
        POINT now = {0, 0};
        WaitUntil(1000, [&] { return GetCursorPos(&now) && Same(now, to); }, 5);
        if (Same(now, to)) return true;
        dx += (to.x > now.x) - (to.x < now.x);
        dy += (to.y > now.y) - (to.y < now.y);
    }
    return false;
}

bool MouseButton(int button, bool down) {
    const DWORD flags = button == 3 ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                                    : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    return Send({MouseInput(flags)});
}

bool WaitForPointerToRest(DWORD timeoutMs) {
    Trace("waiting for the pointer to rest");
    static HWND front = nullptr;
    static DWORD frontSince = 0;
    POINT last = CursorPos();
    DWORD still = GetTickCount();
    return WaitUntil(timeoutMs, [&] {
        const DWORD now = GetTickCount();
        const HWND current = GetForegroundWindow();
        if (current != front) {
            front = current;
            frontSince = now;
        }
        const POINT p = CursorPos();
        if (!Same(p, last)) {
            last = p;
            still = now;
        }
        // A glide moves the pointer every few ms; a tick comes every 500 ms by default.
        if (now - still < 150) return false;
        if (MayGlideTo(current) && now - frontSince < 650) return false;
        return EveryPeltoAnswers();
    }, 25);
}

bool ParkPointer() { return MoveMouse(POINT{kParkX, kParkY}); }

POINT CursorPos() {
    POINT p = {0, 0};
    GetCursorPos(&p);
    return p;
}

bool PointerAt(int x, int y) { return Same(CursorPos(), POINT{x, y}); }

bool WaitForPointerAt(int x, int y) { return WaitUntil(5000, [&] { return PointerAt(x, y); }); }

bool Click(HWND window, POINT at, int button) {
    Trace("click %d at (%ld, %ld) on \"%s\"", button, at.x, at.y, WindowText(window).c_str());
    if (!PressAt(window, at, button) || !MouseButton(button, false)) return false;
    // Taken once the window's thread holds no capture from the press (a close box tracks until release).
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    WaitUntil(2000, [&] {
        const GUITHREADINFO info = ThreadState(thread);
        return !IsWindow(window) || !info.hwndCapture || (info.flags & GUI_INMENUMODE);
    });
    return true;
}

bool PressOn(HWND window, POINT at) {
    // The press taken before any move: a move read first would not be a drag.
    return PressAt(window, at, 1) && WaitForWindowIdle(window);
}

bool Click(HWND window, int button) {
    // At rest first: the glide to a new window in front ends with it on top.
    WaitForPointerToRest();
    POINT at;
    // The system finds no disabled control under a point, only its parent.
    const HWND expected = IsWindowEnabled(window) || !GetParent(window) ? window : GetParent(window);
    return UncoveredPoint(window, expected, &at) && Click(expected, at, button);
}

bool ClickDialogButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button || !IsWindowVisible(button)) {
        // The command message is the input: sent, so handled on return; with a limit,
        // so a modal box it opens cannot hold the driver.
        DWORD_PTR result = 0;
        SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
                            SMTO_ABORTIFHUNG, 5000, &result);
        return true;
    }
    const HWND expected = IsWindowEnabled(button) ? button : dialog;
    WaitForPointerToRest();
    POINT at;
    bool free = UncoveredPoint(button, expected, &at);
    // Wholly covered (plug-in dialogs all open at (0, 0)): brought to the front, as from the task bar.
    if (!free && BringToForeground(dialog)) free = UncoveredPoint(button, expected, &at);
    if (!free) {
        RECT r = WindowRect(button);
        const POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        const HWND cover = WindowFromPoint(centre);
        ADD_FAILURE() << "button " << id << " of \"" << Printable(WindowText(dialog)) << "\" cannot be clicked: "
                      << ClassNameOf(cover) << " \"" << Printable(WindowText(cover)) << "\" at "
                      << RectText(WindowRect(cover)) << " covers it";
        return false;
    }
    return Click(expected, at);
}

bool ClickCloseBox(HWND window) {
    RECT r = WindowRect(window);
    // The first point from the top right that the window itself calls its close box.
    for (int y = r.top + 2; y < r.top + 40; y += 2)
        for (int x = r.right - 2; x > r.right - 60; x -= 2)
            if (HitTest(window, POINT{x, y}) == HTCLOSE) return Click(window, POINT{x, y});
    return false;
}

void CheckEscEnterAndCloseBoxLeaveOpen(HWND dialog, const char* which) {
    SCOPED_TRACE(which);
    ASSERT_TRUE(BringToForeground(dialog)) << "the dialog did not come to the foreground";
    EXPECT_TRUE(PressKeys({VK_ESCAPE}) && PressKeys({VK_RETURN})) << "cannot type Esc and Enter";
    EXPECT_TRUE(IsWindow(dialog) && TabMovesFocus(dialog)) << "Tab typed after Esc and Enter did not move the focus";
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "Esc or Enter ended the dialog";
    if (!IsWindow(dialog)) return;
    EXPECT_TRUE(ClickCloseBox(dialog)) << "no close box to click";
    WaitForWindowIdle(dialog);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the close box ended the dialog";
}

bool PressKeys(std::initializer_list<WORD> chord) {
    const bool sent = Send(ChordInputs(chord));
    // With none in front (a hidden window's activation passes to nothing under Wine) no thread takes it.
    if (HWND front = GetForegroundWindow()) WaitForWindowIdle(front);
    return sent;
}

bool PressKeysOn(HWND window, const std::vector<WORD>& keys) {
    std::vector<std::vector<WORD>> chords;
    for (WORD key : keys) chords.push_back({key});
    return PressChordsOn(window, chords);
}

bool TypeText(HWND window, const std::string& text) {
    std::vector<std::vector<WORD>> chords;
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        if (scan == -1) return false;
        chords.push_back({static_cast<WORD>(scan & 0xFF)});
        if (scan & 0x100) chords.back().insert(chords.back().begin(), VK_SHIFT);
    }
    return PressChordsOn(window, chords);
}

void ReleaseModifierKeys() {
    for (WORD key : {VK_CONTROL, VK_SHIFT, VK_MENU, VK_LCONTROL, VK_RCONTROL, VK_LSHIFT, VK_RSHIFT, VK_LMENU,
                     VK_RMENU})
        if (GetAsyncKeyState(key) & 0x8000) Send({KeyInput(key, KEYEVENTF_KEYUP)});
    for (int button : {1, 3})
        if (GetAsyncKeyState(button == 1 ? VK_LBUTTON : VK_RBUTTON) & 0x8000) MouseButton(button, false);
}

GUITHREADINFO ThreadState(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info)) info = GUITHREADINFO{};
    return info;
}

HWND FocusOfThreadOf(HWND window) { return ThreadState(GetWindowThreadProcessId(window, nullptr)).hwndFocus; }

bool TabMovesFocus(HWND dialog) {
    const HWND before = FocusOfThreadOf(dialog);
    if (!before || !PressKeysOn(dialog, {VK_TAB})) return false;
    return WaitUntil(2000, [&] {
        const HWND now = FocusOfThreadOf(dialog);
        return now && now != before;
    });
}

bool BringToForeground(HWND window, DWORD timeoutMs) {
    Trace("bringing \"%s\" to the front", WindowText(window).c_str());
    // Asked until it holds (the window in front may still track a click of its own), and
    // raised as the task bar does: Wine does not always raise a window of another thread.
    if (!WaitUntil(timeoutMs,
                   [&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); }, 100))
        return false;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return WaitForWindowIdle(window);
}

}  // namespace e2e
