// Driving Pelto.exe from another Win32 process: install folders, files, the
// process, its windows and message boxes, regions, screen pixels.
#pragma once
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// Copying would free the same resource twice.
struct NoCopy {
    NoCopy() = default;
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

// ---------------------------------------------------------------- waiting

// The driver's own messages dispatched (its backdrops paint through them);
// WaitUntil polls pred until it holds or timeoutMs passes, and returns its last value.
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

// An environment variable's value ("" when unset); PELTO_E2E_WINVER ("win98", "win2k",
// "" for Wine's default).
std::string EnvironmentValue(const char* name);
enum class ReportedFamily { Windows9x, WindowsNT };
const std::string& ReportedWindows();
ReportedFamily ReportedWindowsFamily();

// ---------------------------------------------------------------- files

// The installed folder every test copies (Windows path form).
bool SetStagedInstall(const std::string& folder);
const std::string& StagedInstall();

std::string JoinPath(const std::string& folder, const std::string& name);
bool FileExists(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileText(const std::string& path);  // "" when it cannot be read
bool CopyTree(const std::string& from, const std::string& to);
// Each entry matching the pattern (a folder's "*"), "." and ".." left out.
void ForEachFile(const std::string& pattern, const std::function<void(const WIN32_FIND_DATAA&)>& visit);
void RemoveTree(const std::string& folder);

// A 24-bit bottom-up BMP file of the pixels pixel(x, y) gives, y = 0 the top row.
using PixelFunction = std::function<COLORREF(int x, int y)>;
bool WriteBmp24(const std::string& path, int width, int height, const PixelFunction& pixel);

// A fresh copy of the staged install in a unique temp folder, removed when the
// object goes (PELTO_E2E_KEEP=1 keeps it).
class InstallFolder : NoCopy {
public:
    explicit InstallFolder(const char* tag);
    ~InstallFolder();

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
class DataModule : NoCopy {
public:
    explicit DataModule(const std::string& path);
    ~DataModule();

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

// Whether a screen pixel shows the colour (within a High Color display's steps); "#RRGGBB".
bool ScreenShowsColour(COLORREF screen, COLORREF colour);
std::string ColourText(COLORREF c);

// A bitmap's pixels (GetDIBits at 32 bits), or a BMP file's; empty for none.
Image BitmapPixels(HBITMAP bitmap);
Image LoadBmpPixels(const std::string& path);

// A copy of a window's region, null for none (type: GetWindowRgn's answer).
HRGN CopyWindowRegion(HWND window, int* type);
// "" when the window's region is the image's outline (every pixel not of the key
// colour), else what differs.
std::string RegionMismatch(HWND window, const Image& image, COLORREF key = kMagenta);

std::string RectText(const RECT& r);

// ---------------------------------------------------------------- screen

// The screen's pixels; an icon drawn size x size over a plain background, as a menu item draws it.
COLORREF ScreenPixel(int x, int y);
Image CaptureScreen(const RECT& area);
Image DrawnIcon(HICON icon, int size, COLORREF background);

// The pixels where the screen at origin does not show the skin (the backdrop where it is key).
int CompareScreenWithSkin(const Image& skin, POINT origin, COLORREF backdrop, std::string* detail,
                          COLORREF key = kMagenta);

// An untitled, never-activated popup of one colour (Pelto's tracking ignores untitled windows).
class Backdrop : NoCopy {
public:
    Backdrop(const RECT& area, COLORREF colour);
    ~Backdrop();

    HWND window() const { return window_; }
    bool WaitPainted(DWORD timeoutMs = 5000) const;

private:
    HWND window_ = nullptr;
    HBRUSH brush_ = nullptr;
    RECT area_;
    COLORREF colour_;
};

// ---------------------------------------------------------------- windows and message boxes

std::string WindowText(HWND window);
bool WindowGoes(HWND window, DWORD timeoutMs = 5000);  // destroyed
// WM_GETTEXT / WM_SETTEXT: GetWindowTextA does not ask a window of another process.
std::string ControlText(HWND control);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND control, const std::string& text);
void SetControlText(HWND dialog, int id, const std::string& text);
bool WindowAnswers(HWND window, DWORD timeoutMs = 2000);
// The window's thread has dealt with everything posted before the call: it answers
// WM_NULL twice in a row (the second answer waits for what the first retrieval dispatched).
bool WaitForWindowIdle(HWND window, DWORD timeoutMs = 8000);
std::string ClassNameOf(HWND window);   // GetClassNameA

std::vector<HWND> TopLevelWindows();
std::vector<HWND> ChildWindowsOf(HWND parent);
// Of a process, with the given class (any for null).
std::vector<HWND> TopLevelWindowsOf(DWORD pid, const char* className);

struct MessageBoxContent {
    std::string caption;  // GetWindowTextA of the box
    std::string text;     // text of its Static child with non-empty text
    HWND owner = nullptr;
    std::vector<int> buttonIds;
};

// Visible top-level "#32770" windows of a process; a box's button clicked, true once it is gone.
std::vector<HWND> MessageBoxesOf(DWORD pid);
MessageBoxContent ReadMessageBox(HWND box);
bool DismissMessageBox(HWND box, int buttonId = IDOK, DWORD timeoutMs = 5000);

// ---------------------------------------------------------------- processes and the program under test

// CreateProcessA. The thread handle is closed unless CREATE_SUSPENDED (the caller's then);
// info->hProcess is the caller's (Wine gives none for a Unix program).
bool LaunchProcess(const std::string& commandLine, PROCESS_INFORMATION* info, const char* program = nullptr,
                   const char* folder = nullptr, DWORD creationFlags = 0);

constexpr char kSkinClass[] = "PeltoClass";
constexpr char kSkinTitle[] = "Quorval Pelto";

// A process the driver started, terminated if still running when the object goes.
class ChildProcess : NoCopy {
public:
    ~ChildProcess();

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
    // On the Windows 98 run the shim is loaded before Pelto runs; a start without it fails.
    bool Start(const std::string& folder);
    bool Start(const InstallFolder& folder) { return Start(folder.path()); }
    // Takes over a Pelto that something else started (a restart); the shim is loaded now.
    bool Adopt(DWORD pid);

    std::vector<HWND> SkinWindows() const;
    // A visible skin window; null early when the process ends or (stopOnMessageBox) shows a box.
    HWND WaitForSkinWindow(DWORD timeoutMs = 20000, bool stopOnMessageBox = true) const;

    std::vector<HWND> MessageBoxes() const { return MessageBoxesOf(pid_); }

    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode) const;
    bool EndsWithCode0() const;  // within 10 s

    // "running, 1 skin window(s), message boxes: [...]", for failure messages.
    std::string Describe() const;

private:
    DWORD startError_ = 0;
    bool shimFailed_ = false;
};

std::ostream& operator<<(std::ostream& out, const PeltoProcess& pelto);

// Pelto runs and its skin window answers WM_NULL in time (no modal loop or glide holds it).
bool PeltoAnswers(const PeltoProcess& pelto, DWORD timeoutMs = 2000);
// WaitForWindowIdle for the skin window (a glide, which holds its loop, is over too).
bool WaitForPeltoIdle(const PeltoProcess& pelto, DWORD timeoutMs = 8000);

// Processes other than `except` with a skin window; the one a restart of `old`
// started, adopted once it can be opened and still runs.
std::vector<DWORD> OtherPeltoProcesses(DWORD except);
bool AdoptRestartedPelto(const PeltoProcess& old, PeltoProcess* restarted, DWORD timeoutMs = 20000);

// ---------------------------------------------------------------- Unix tools

// Starts a Unix program from inside Wine; there is no handle for it: poll for its effect.
bool RunUnixCommand(const std::string& commandLine);
// Whether SendInput moves the pointer here; checked before the tests (the run aborts without it).
bool DriverToolsWork(std::string* why);

}  // namespace e2e
