// Helpers for driving Pelto.exe from another Win32 process: fresh install folders,
// setting / skin / bitmap files, the process under test, its windows and message
// boxes, window regions, screen pixels, a backdrop window and X tools.
#pragma once
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------- waiting

// The driver's own messages dispatched (its backdrops paint through them), now
// or for ms milliseconds; WaitUntil polls pred every stepMs meanwhile until it
// holds or timeoutMs has passed, and returns its last value.
void PumpMessages();
void PumpFor(DWORD ms);
template <class Pred>
bool WaitUntil(DWORD timeoutMs, Pred pred, DWORD stepMs = 20) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        PumpFor(stepMs);
    }
}

// ---------------------------------------------------------------- platform

// What Wine reports to Pelto.exe in this run (PELTO_E2E_WINVER): "win98",
// "win2k", or "" for Wine's default; and whether Pelto.exe is the 32-bit build.
enum class ReportedFamily { Windows9x, WindowsNT };
const std::string& ReportedWindows();
ReportedFamily ReportedWindowsFamily();
bool PeltoIs32Bit();

// ---------------------------------------------------------------- files

// The installed folder every test copies (Windows path form, e.g. Z:\tmp\install).
bool SetStagedInstall(const std::string& folder);
const std::string& StagedInstall();

std::string JoinPath(const std::string& folder, const std::string& name);
bool FileExists(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool CopyTree(const std::string& from, const std::string& to);
void RemoveTree(const std::string& folder);

// A 24-bit bottom-up BMP file of the pixels pixel(x, y) gives, y = 0 the top row.
using PixelFunction = std::function<COLORREF(int x, int y)>;
bool WriteBmp24(const std::string& path, int width, int height, const PixelFunction& pixel);

// A fresh copy of the staged install in a new, unique folder under the temp folder.
// The folder is removed again when the object goes (set PELTO_E2E_KEEP=1 to keep it).
class InstallFolder {
public:
    explicit InstallFolder(const char* tag);
    ~InstallFolder();
    InstallFolder(const InstallFolder&) = delete;
    InstallFolder& operator=(const InstallFolder&) = delete;

    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }  // no trailing backslash
    std::string File(const std::string& relative) const { return JoinPath(path_, relative); }

    bool WriteSetting(const std::string& text) const;
    bool WriteSkinDefinition(const std::string& name, const std::string& text) const;
    bool WriteSkinBitmap(const std::string& name, int width, int height, const PixelFunction& pixel) const;
    bool RemoveFile(const std::string& relative) const;

private:
    std::string path_;
    bool ok_ = false;
};

// A program or library loaded as data, for its resources; freed when the object goes.
class DataModule {
public:
    explicit DataModule(const std::string& path);
    ~DataModule();
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;

    HMODULE get() const { return module_; }
    std::string Resource(LPCSTR type, LPCSTR name) const;

private:
    HMODULE module_ = nullptr;
};

// ---------------------------------------------------------------- images and regions

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // top row first, COLORREF values
    bool ok() const { return width > 0 && height > 0; }
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

constexpr COLORREF kMagenta = RGB(255, 0, 255);

inline bool SameColour(COLORREF a, COLORREF b) { return ((a ^ b) & 0x00FFFFFF) == 0; }

// Whether a screen pixel shows the colour: exactly, or within the steps of a
// High Color display. ColourText gives "#RRGGBB".
bool ScreenShowsColour(COLORREF screen, COLORREF colour);
std::string ColourText(COLORREF c);

// A bitmap's pixels (GetDIBits at 32 bits), or a BMP file's; empty for none.
Image BitmapPixels(HBITMAP bitmap);
Image LoadBmpPixels(const std::string& path);

// Every pixel of the image whose colour is not key, joined run by run with
// CreateRectRgn + CombineRgn(RGN_OR). The caller deletes the region.
HRGN RegionFromImage(const Image& image, COLORREF key = kMagenta);

// A copy of a window's region, or null when it has none (type: GetWindowRgn's
// answer); and the pixels two regions differ in, for messages ("" for none).
HRGN CopyWindowRegion(HWND window, int* type);
std::string DescribeRegionDifference(HRGN actual, HRGN expected);

std::string RectText(const RECT& r);

// ---------------------------------------------------------------- screen

// The screen's pixels; an icon drawn size x size over a plain background, as a
// menu item draws it.
COLORREF ScreenPixel(int x, int y);
Image CaptureScreen(const RECT& area);
Image DrawnIcon(HICON icon, int size, COLORREF background);

// The pixels where the screen at origin does not show the skin: its colour where
// it is not key, the backdrop where it is; the first few described in detail.
int CompareScreenWithSkin(const Image& skin, POINT origin, COLORREF backdrop, std::string* detail,
                          COLORREF key = kMagenta);

// An untitled, not topmost, never-activated popup window of the driver, filled
// with one colour. Pelto's later tracking ignores untitled windows.
class Backdrop {
public:
    Backdrop(const RECT& area, COLORREF colour);
    ~Backdrop();
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

    HWND window() const { return window_; }
    bool WaitPainted(DWORD timeoutMs = 5000) const;

private:
    HWND window_ = nullptr;
    HBRUSH brush_ = nullptr;
    RECT area_;
    COLORREF colour_;
};

// ---------------------------------------------------------------- windows and message boxes

// GetWindowTextA; WindowGoes waits until the window is destroyed.
std::string WindowText(HWND window);
bool WindowGoes(HWND window, DWORD timeoutMs = 5000);
// A control's text through WM_GETTEXT (GetWindowTextA does not ask a window of
// another process), and setting it with WM_SETTEXT; by handle or by dialog and id.
std::string ControlText(HWND control);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND control, const std::string& text);
void SetControlText(HWND dialog, int id, const std::string& text);
bool WindowAnswers(HWND window, DWORD timeoutMs = 2000);
// Waits until the window's thread has dealt with everything posted to it before
// the call: it answers WM_NULL twice in a row. A sent message is handled at the
// next message retrieval, so the second answer comes only after whatever the
// first retrieval dispatched has returned (or entered a modal loop).
bool WaitForWindowIdle(HWND window, DWORD timeoutMs = 8000);
std::string ClassNameOf(HWND window);   // GetClassNameA

std::vector<HWND> TopLevelWindows();
std::vector<HWND> ChildWindowsOf(HWND parent);
// Top-level windows of a process with the given class (all classes for null).
std::vector<HWND> TopLevelWindowsOf(DWORD pid, const char* className);

struct MessageBoxContent {
    std::string caption;  // GetWindowTextA of the box
    std::string text;     // text of its Static child with non-empty text
    HWND owner = nullptr;
    std::vector<int> buttonIds;
};

// Visible top-level dialog windows ("#32770") of a process; a button of a box
// pressed with a real click, true once the box is gone.
std::vector<HWND> MessageBoxesOf(DWORD pid);
MessageBoxContent ReadMessageBox(HWND box);
bool DismissMessageBox(HWND box, int buttonId = IDOK, DWORD timeoutMs = 5000);

// ---------------------------------------------------------------- processes

// CreateProcessA on a command line (and, when given, the program and the working
// folder). The thread handle is closed, except with CREATE_SUSPENDED among the
// flags (the caller resumes and closes it); info->hProcess is the caller's to
// close (Wine gives none for a Unix program).
bool LaunchProcess(const std::string& commandLine, PROCESS_INFORMATION* info, const char* program = nullptr,
                   const char* folder = nullptr, DWORD creationFlags = 0);

// ---------------------------------------------------------------- the program under test

constexpr char kSkinClass[] = "PeltoClass";
constexpr char kSkinTitle[] = "Quorval Pelto";

// A process the driver started, terminated if still running when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    HANDLE handle() const { return process_; }
    DWORD pid() const { return pid_; }
    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    void Kill();

protected:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Pelto.exe started from an install folder.
class PeltoProcess : public ChildProcess {
public:

    // On the Windows 98 run, the process gets the Windows 98 shim before it runs
    // (win98_shim_support.h); a start without it fails.
    bool Start(const std::string& folder);
    bool Start(const InstallFolder& folder) { return Start(folder.path()); }
    // Takes over a Pelto process that something else started (a restart). On
    // the Windows 98 run the shim is loaded into it now, so its calls from here
    // on keep 98's rules (those of its start-up did not).
    bool Adopt(DWORD pid);

    std::vector<HWND> SkinWindows() const;
    // A visible skin window; null early when the process ends or, with
    // stopOnMessageBox, shows a message box.
    HWND WaitForSkinWindow(DWORD timeoutMs = 20000, bool stopOnMessageBox = true) const;

    std::vector<HWND> MessageBoxes() const { return MessageBoxesOf(pid_); }

    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode) const;
    bool EndsWithCode0() const;  // within 10 s

    // "running, 1 skin window, message boxes: [...]", for failure messages.
    std::string Describe() const;

private:
    DWORD startError_ = 0;
    bool shimFailed_ = false;
};

std::ostream& operator<<(std::ostream& out, const PeltoProcess& pelto);

// Whether Pelto still runs and its skin window answers WM_NULL within timeoutMs:
// its message loop is free again (no modal loop or glide holds it).
bool PeltoAnswers(const PeltoProcess& pelto, DWORD timeoutMs = 2000);

// WaitForWindowIdle for Pelto's skin window: a glide, which holds its message
// loop, is over too. False when Pelto ends or does not answer in time.
bool WaitForPeltoIdle(const PeltoProcess& pelto, DWORD timeoutMs = 8000);

// Processes other than `except` that show a skin window; the one a restart of
// `old` started, adopted once it can be opened and still runs (one of an
// earlier test may still be on its way out).
std::vector<DWORD> OtherPeltoProcesses(DWORD except);
bool AdoptRestartedPelto(const PeltoProcess& old, PeltoProcess* restarted, DWORD timeoutMs = 20000);

// ---------------------------------------------------------------- Unix tools

// Starts a Unix program from inside Wine, e.g. "/usr/bin/xdotool mousemove 10 10".
// Wine gives no process handle for it: poll for its effect.
bool RunUnixCommand(const std::string& commandLine);

// Whether the driver's input works here (SendInput moves the pointer that
// the system reports). Checked once before the tests: without it no result
// means anything, so the run is aborted. why receives the reason.
bool DriverToolsWork(std::string* why);

}  // namespace e2e
