#include "driver_support.h"

#include <cctype>
#include <cstring>
#include <exception>

#include "driver_framework.h"
#include "input_support.h"
#include "target_support.h"
#include "watchdog.h"
#include "win98_shim_support.h"

namespace e2e {

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        // Past its time limit a test stops at its next wait (never while a
        // destructor runs during a stop already under way).
        if (TestTimeIsUp() && std::uncaught_exceptions() == 0) throw TestAbort();
        PumpMessages();
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) break;
        DWORD left = ms - spent;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? left : 20, QS_ALLINPUT);
    }
}

namespace {

std::string stagedInstall;

// A BMP's header of width x height (negative: top-down) at `bits` per pixel.
BITMAPINFOHEADER DibHeader(int width, int height, WORD bits) {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = bits;
    info.biCompression = BI_RGB;
    return info;
}

// A 32-bit DIB word (0x00RRGGBB) as a COLORREF (0x00BBGGRR).
COLORREF FromDibWord(DWORD word) { return RGB((word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF); }

// What draw puts on a top-down 32-bit DIB section of width x height; empty
// when the section cannot be made or draw fails.
template <class Draw>
Image DrawnImage(int width, int height, Draw draw) {
    Image image;
    if (width <= 0 || height <= 0) return image;
    BITMAPINFO bmi = {DibHeader(width, -height, 32), {}};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc && dib && bits) {
        HGDIOBJ old = SelectObject(dc, dib);
        const bool drawn = draw(dc);
        GdiFlush();
        SelectObject(dc, old);
        if (drawn) {
            image.width = width;
            image.height = height;
            const DWORD* words = static_cast<const DWORD*>(bits);
            for (int i = 0; i < width * height; ++i) image.pixels.push_back(FromDibWord(words[i]));
        }
    }
    if (dib) DeleteObject(dib);
    if (dc) DeleteDC(dc);
    return image;
}

const char kBackdropClass[] = "PeltoE2EBackdrop";

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        FillRect(dc, &ps.rcPaint, reinterpret_cast<HBRUSH>(GetWindowLongPtrA(window, GWLP_USERDATA)));
        EndPaint(window, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterBackdropClass() {
    static const bool registered = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = BackdropProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kBackdropClass;
        return RegisterClassExA(&wc) != 0;
    }();
    return registered;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

void ForEachFile(const std::string& pattern, const std::function<void(const WIN32_FIND_DATAA&)>& visit) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) visit(found);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool SetStagedInstall(const std::string& folder) {
    stagedInstall = folder;
    while (stagedInstall.size() > 3 && (stagedInstall.back() == '\\' || stagedInstall.back() == '/'))
        stagedInstall.pop_back();
    return FileExists(JoinPath(stagedInstall, "Pelto.exe"));
}

const std::string& StagedInstall() { return stagedInstall; }

std::string EnvironmentValue(const char* name) {
    char value[MAX_PATH] = "";
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n < sizeof value ? value : "";
}

const std::string& ReportedWindows() {
    static const std::string version = EnvironmentValue("PELTO_E2E_WINVER");
    return version;
}

ReportedFamily ReportedWindowsFamily() {
    return ReportedWindows() == "win98" ? ReportedFamily::Windows9x : ReportedFamily::WindowsNT;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    char last = folder.back();
    return (last == '\\' || last == '/') ? folder + name : folder + "\\" + name;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ok = ok && written == bytes.size();
    return CloseHandle(file) && ok;
}

std::string ReadFileText(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    char chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return ok ? bytes : "";
}

bool CopyTree(const std::string& from, const std::string& to) {
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    bool ok = true;
    ForEachFile(JoinPath(from, "*"), [&](const WIN32_FIND_DATAA& found) {
        const std::string source = JoinPath(from, found.cFileName), target = JoinPath(to, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source, target) && ok;
        else
            ok = CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
    });
    return ok;
}

void RemoveTree(const std::string& folder) {
    ForEachFile(JoinPath(folder, "*"), [&](const WIN32_FIND_DATAA& found) {
        const std::string path = JoinPath(folder, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveTree(path);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    });
    RemoveDirectoryA(folder.c_str());
}

bool WriteBmp24(const std::string& path, int width, int height, const PixelFunction& pixel) {
    if (width <= 0 || height <= 0) return false;
    const int stride = (width * 3 + 3) & ~3;
    const DWORD imageSize = static_cast<DWORD>(stride) * height;
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fileHeader.bfSize = fileHeader.bfOffBits + imageSize;
    BITMAPINFOHEADER info = DibHeader(width, height, 24);  // bottom-up
    info.biSizeImage = imageSize;
    info.biXPelsPerMeter = info.biYPelsPerMeter = 2835;

    std::string bytes(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(static_cast<std::size_t>(stride), '\0');
    for (int memoryRow = 0; memoryRow < height; ++memoryRow) {
        int y = height - 1 - memoryRow;
        for (int x = 0; x < width; ++x) {
            COLORREF c = pixel(x, y);
            row[x * 3 + 0] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return WriteFileBytes(path, bytes);
}

InstallFolder::InstallFolder(const char* tag) {
    static int sequence = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) return;
    std::string cleanTag;
    for (const char* p = tag; *p && cleanTag.size() < 40; ++p)
        cleanTag += (std::isalnum(static_cast<unsigned char>(*p)) || *p == '-') ? *p : '_';
    path_ = JoinPath(temp, Format("pelto-e2e-%lu-%d-%s", static_cast<unsigned long>(GetCurrentProcessId()),
                                  ++sequence, cleanTag.c_str()));
    RemoveTree(path_);
    ok_ = CopyTree(StagedInstall(), path_) && FileExists(File("Pelto.exe"));
}

InstallFolder::~InstallFolder() {
    if (!path_.empty() && EnvironmentValue("PELTO_E2E_KEEP")[0] != '1') RemoveTree(path_);
}

bool InstallFolder::WriteSetting(const std::string& text) const { return WriteFileBytes(File("setting"), text); }

bool InstallFolder::WriteSkinDefinition(const std::string& name, const std::string& text) const {
    return WriteFileBytes(File("skin\\" + name), text);
}

bool InstallFolder::WriteSkinBitmap(const std::string& name, int width, int height, const PixelFunction& pixel) const {
    return WriteBmp24(File("skin\\" + name), width, height, pixel);
}

bool InstallFolder::RemoveFile(const std::string& relative) const {
    DeleteFileA(File(relative).c_str());
    return !FileExists(File(relative));
}

Image BitmapPixels(HBITMAP bitmap) {
    Image image;
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return image;
    BITMAPINFO bmi = {DibHeader(info.bmWidth, -info.bmHeight, 32), {}};
    std::vector<DWORD> words(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, info.bmHeight, words.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != info.bmHeight) return image;
    image.width = info.bmWidth;
    image.height = info.bmHeight;
    image.pixels.reserve(words.size());
    for (DWORD w : words) image.pixels.push_back(FromDibWord(w));
    return image;
}

Image LoadBmpPixels(const std::string& path) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    Image image = BitmapPixels(bitmap);
    if (bitmap) DeleteObject(bitmap);
    return image;
}

// Every pixel not of the key colour, joined run by run.
static HRGN RegionFromImage(const Image& image, COLORREF key) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < image.height; ++y) {
        int x = 0;
        while (x < image.width) {
            while (x < image.width && SameColour(image.At(x, y), key)) ++x;
            int start = x;
            while (x < image.width && !SameColour(image.At(x, y), key)) ++x;
            if (x > start) {
                HRGN run = CreateRectRgn(start, y, x, y + 1);
                CombineRgn(region, region, run, RGN_OR);
                DeleteObject(run);
            }
        }
    }
    return region;
}

HRGN CopyWindowRegion(HWND window, int* type) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int got = GetWindowRgn(window, region);
    if (type) *type = got;
    if (got == ERROR) {
        DeleteObject(region);
        return nullptr;
    }
    return region;
}

std::string ColourText(COLORREF c) { return Format("#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c)); }

std::string RectText(const RECT& r) {
    return Format("(%ld,%ld)-(%ld,%ld)", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
}

static std::string DescribeRegionDifference(HRGN actual, HRGN expected) {
    RECT a, e, all;
    GetRgnBox(actual, &a);
    GetRgnBox(expected, &e);
    UnionRect(&all, &a, &e);
    int differing = 0;
    std::string examples;
    for (int y = all.top; y < all.bottom; ++y)
        for (int x = all.left; x < all.right; ++x) {
            bool inActual = PtInRegion(actual, x, y) != 0, inExpected = PtInRegion(expected, x, y) != 0;
            if (inActual == inExpected) continue;
            if (++differing <= 6)
                examples += Format(" (%d,%d) %s", x, y, inActual ? "should be cut" : "should be shown");
        }
    if (differing == 0) return "";
    return Format("region box %s, expected box %s, %d pixels differ:%s", RectText(a).c_str(), RectText(e).c_str(),
                  differing, examples.c_str());
}

std::string RegionMismatch(HWND window, const Image& image, COLORREF key) {
    int type = ERROR;
    HRGN actual = CopyWindowRegion(window, &type);
    if (!actual) return Format("no region (GetWindowRgn answered %d)", type);
    HRGN expected = RegionFromImage(image, key);
    const std::string difference = EqualRgn(actual, expected) ? "" : DescribeRegionDifference(actual, expected);
    DeleteObject(expected);
    DeleteObject(actual);
    return difference;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

Image CaptureScreen(const RECT& area) {
    return DrawnImage(area.right - area.left, area.bottom - area.top, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        const BOOL copied = BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left,
                                   area.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        return copied != FALSE;
    });
}

Image DrawnIcon(HICON icon, int size, COLORREF background) {
    return DrawnImage(size, size, [&](HDC dc) {
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, size, size};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);  // none drawn: the background alone
        return true;
    });
}

int CompareScreenWithSkin(const Image& skin, POINT origin, COLORREF backdrop, std::string* detail, COLORREF key) {
    RECT area = {origin.x, origin.y, origin.x + skin.width, origin.y + skin.height};
    Image shot = CaptureScreen(area);
    if (!shot.ok()) {
        if (detail) *detail = "the screen could not be captured";
        return skin.width * skin.height;
    }
    int mismatches = 0;
    std::string examples;
    for (int y = 0; y < skin.height; ++y)
        for (int x = 0; x < skin.width; ++x) {
            COLORREF want = SameColour(skin.At(x, y), key) ? backdrop : skin.At(x, y);
            COLORREF got = shot.At(x, y);
            if (ScreenShowsColour(got, want)) continue;
            if (++mismatches <= 5)
                examples += Format(" (%d,%d) shows %s, expected %s", x, y, ColourText(got).c_str(),
                                   ColourText(want).c_str());
        }
    if (detail) *detail = mismatches ? Format("%d pixels differ:%s", mismatches, examples.c_str()) : "";
    return mismatches;
}

Backdrop::Backdrop(const RECT& area, COLORREF colour) : area_(area), colour_(colour) {
    if (!RegisterBackdropClass()) return;
    brush_ = CreateSolidBrush(colour);
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kBackdropClass, "", WS_POPUP, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_) return;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(brush_));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    PumpMessages();
}

Backdrop::~Backdrop() {
    if (window_) DestroyWindow(window_);
    PumpMessages();
    if (brush_) DeleteObject(brush_);
}

bool Backdrop::WaitPainted(DWORD timeoutMs) const {
    return window_ &&
           WaitUntil(timeoutMs, [&] { return ScreenShowsColour(ScreenPixel(area_.right - 2, area_.bottom - 2), colour_); });
}

bool ScreenShowsColour(COLORREF screen, COLORREF colour) {
    static const int bits = [] {
        HDC dc = GetDC(nullptr);
        int b = GetDeviceCaps(dc, BITSPIXEL);
        ReleaseDC(nullptr, dc);
        return b;
    }();
    if (bits > 16) return SameColour(screen, colour);
    // A High Color display keeps 5 or 6 bits a channel and widens them back its own way.
    for (int shift = 0; shift < 24; shift += 8) {
        int a = (screen >> shift) & 0xFF, b = (colour >> shift) & 0xFF;
        if (a - b > 7 || b - a > 7) return false;
    }
    return true;
}

std::string WindowText(HWND window) {
    char text[1024];
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool WindowGoes(HWND window, DWORD timeoutMs) { return WaitUntil(timeoutMs, [&] { return !IsWindow(window); }); }

std::string ClassNameOf(HWND window) {
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> ChildWindowsOf(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid, const char* className) {
    std::vector<HWND> found;
    for (HWND w : TopLevelWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && (!className || ClassNameOf(w) == className)) found.push_back(w);
    }
    return found;
}

std::vector<HWND> MessageBoxesOf(DWORD pid) {
    std::vector<HWND> boxes;
    for (HWND w : TopLevelWindowsOf(pid, "#32770"))
        if (IsWindowVisible(w)) boxes.push_back(w);
    return boxes;
}

MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content;
    content.caption = WindowText(box);
    content.owner = GetWindow(box, GW_OWNER);
    for (HWND child : ChildWindowsOf(box)) {
        const std::string cls = ClassNameOf(child);
        if (lstrcmpiA(cls.c_str(), "Static") == 0 && content.text.empty())
            content.text = ControlText(child);
        else if (lstrcmpiA(cls.c_str(), "Button") == 0 && IsWindowVisible(child))
            content.buttonIds.push_back(GetDlgCtrlID(child));
    }
    return content;
}

bool DismissMessageBox(HWND box, int buttonId, DWORD timeoutMs) {
    if (!IsWindow(box)) return true;
    return ClickDialogButton(box, buttonId) && WindowGoes(box, timeoutMs);
}

bool LaunchProcess(const std::string& commandLine, PROCESS_INFORMATION* info, const char* program,
                   const char* folder, DWORD creationFlags) {
    std::string buffer = commandLine;  // CreateProcessA may write into it
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::memset(info, 0, sizeof *info);
    if (!CreateProcessA(program, &buffer[0], nullptr, nullptr, FALSE, creationFlags, nullptr, folder, &startup,
                        info))
        return false;
    if (info->hProcess) NoteStartedProcess(info->dwProcessId);
    // For a Unix program Wine gives no process handle and leaves garbage in hThread;
    // closing that closed whatever handle had its value (once the cached HKEY_CURRENT_USER).
    if (info->hProcess && (creationFlags & CREATE_SUSPENDED)) return true;
    if (info->hProcess && info->hThread) CloseHandle(info->hThread);
    info->hThread = nullptr;
    return true;
}

ChildProcess::~ChildProcess() {
    Kill();
    if (process_) CloseHandle(process_);
}

void ChildProcess::Kill() {
    if (!Running()) return;
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 10000);
}

bool PeltoProcess::Start(const std::string& folder) {
    if (process_) return false;
    std::string exe = JoinPath(folder, "Pelto.exe");
    PROCESS_INFORMATION info;
    // A start that fails is tried twice more.
    const bool shim = Win98ShimWanted();
    for (int attempt = 1;; ++attempt) {
        if (LaunchProcess("\"" + exe + "\"", &info, exe.c_str(), folder.c_str(), shim ? CREATE_SUSPENDED : 0)) break;
        startError_ = GetLastError();
        Trace("CreateProcessA(%s) failed, error %lu", exe.c_str(), static_cast<unsigned long>(startError_));
        if (attempt == 3) return false;
        PumpFor(300);
    }
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    if (shim) {
        const bool loaded = LoadWin98Shim(process_);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        if (!loaded) {
            Kill();
            CloseHandle(process_);
            process_ = nullptr;
            shimFailed_ = true;
            return false;
        }
    }
    return true;
}

bool PeltoProcess::Adopt(DWORD pid) {
    if (process_) return false;
    process_ = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_CREATE_THREAD |
                               PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                           FALSE, pid);
    if (!process_) return false;
    pid_ = pid;
    return !Win98ShimWanted() || LoadWin98Shim(process_);
}

std::vector<HWND> PeltoProcess::SkinWindows() const { return TopLevelWindowsOf(pid_, kSkinClass); }

HWND PeltoProcess::WaitForSkinWindow(DWORD timeoutMs, bool stopOnMessageBox) const {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        for (HWND w : SkinWindows())
            if (IsWindowVisible(w)) {
                found = w;
                return true;
            }
        if (!Running()) return true;
        return stopOnMessageBox && !MessageBoxes().empty();
    });
    return found;
}

bool PeltoProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!process_ || !WaitUntil(timeoutMs, [&] { return !Running(); })) return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (exitCode) *exitCode = code;
    return true;
}

bool PeltoProcess::EndsWithCode0() const {
    DWORD code = 1;
    return WaitForExit(10000, &code) && code == 0;
}

std::string PeltoProcess::Describe() const {
    if (shimFailed_) return "not started: the Windows 98 shim did not load";
    if (!process_) return Format("not started (CreateProcessA error %lu)", static_cast<unsigned long>(startError_));
    const bool running = Running();
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    std::string state = running ? "running" : Format("ended with code %lu", static_cast<unsigned long>(code));
    std::vector<HWND> windows = SkinWindows();
    state += Format(", %d skin window(s)", static_cast<int>(windows.size()));
    for (HWND w : windows) state += IsWindowVisible(w) ? " (visible)" : " (hidden)";
    if (!MessageBoxes().empty()) state += ", message boxes: " + DescribeBoxes(*this);
    return state;
}

// With a limit: a hung window fails the test on what it reads, not on its time limit.
std::string ControlText(HWND control) {
    char text[1024] = "";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &result);
    return text;
}

std::string ControlText(HWND dialog, int id) { return ControlText(GetDlgItem(dialog, id)); }

void SetControlText(HWND control, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
}

void SetControlText(HWND dialog, int id, const std::string& text) { SetControlText(GetDlgItem(dialog, id), text); }

std::ostream& operator<<(std::ostream& out, const PeltoProcess& pelto) { return out << pelto.Describe(); }

bool WindowAnswers(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool PeltoAnswers(const PeltoProcess& pelto, DWORD timeoutMs) {
    std::vector<HWND> windows = pelto.SkinWindows();
    if (!pelto.Running() || windows.empty()) return false;
    return WindowAnswers(windows.front(), timeoutMs) && pelto.Running();
}

DataModule::DataModule(const std::string& path)
    : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}

DataModule::~DataModule() {
    if (module_) FreeLibrary(module_);
}

std::string DataModule::Resource(LPCSTR type, LPCSTR name) const {
    HRSRC found = module_ ? FindResourceA(module_, name, type) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(module_, found)) : std::string();
}

bool WaitForWindowIdle(HWND window, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] { return WindowAnswers(window, timeoutMs) && WindowAnswers(window, timeoutMs); });
}

bool WaitForPeltoIdle(const PeltoProcess& pelto, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] { return PeltoAnswers(pelto, timeoutMs) && PeltoAnswers(pelto, timeoutMs); });
}

bool AdoptRestartedPelto(const PeltoProcess& old, PeltoProcess* restarted, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] {
        for (DWORD pid : OtherPeltoProcesses(old.pid())) {
            HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
            const bool running = process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
            if (process) CloseHandle(process);
            if (running) return restarted->Adopt(pid) && restarted->Running();
        }
        return false;
    });
}

std::vector<DWORD> OtherPeltoProcesses(DWORD except) {
    std::vector<DWORD> pids;
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kSkinClass, nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        bool known = pid == except;
        for (DWORD p : pids) known = known || p == pid;
        if (!known) pids.push_back(pid);
    }
    return pids;
}

bool RunUnixCommand(const std::string& commandLine) {
    PROCESS_INFORMATION info;
    if (!LaunchProcess(commandLine, &info)) return false;
    if (info.hProcess) CloseHandle(info.hProcess);
    return true;
}

bool DriverToolsWork(std::string* why) {
    // Over a window of the driver's own, so that Wine hears of each move.
    Backdrop under({800, 600, 1100, 900}, RGB(0, 0, 160));
    if (!under.WaitPainted(10000)) {
        *why = "the driver's own window never showed on the screen";
        return false;
    }
    for (POINT p : {POINT{1000, 800}, POINT{900, 700}}) {
        if (!MoveMouse(p)) {
            const POINT now = CursorPos();
            *why = Format("the pointer did not move to %ld, %ld (the system reports %ld, %ld)", p.x, p.y, now.x, now.y);
            return false;
        }
    }
    return true;
}

}  // namespace e2e
