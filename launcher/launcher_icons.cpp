#include "launcher/launcher_icons.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <new>

#include "common/text_buffers.h"
#include "core/missing_library.h"
#include "launcher/icon_slots.h"
#include "launcher/launcher_store.h"
#include "launcher/native_path.h"

namespace {

// The worker looks at the entries' files at most this often, however often
// popups open.
constexpr DWORD kFileCheckInterval = 2000;

// Drawing an image list's icon blends its edges afresh every time (about 0.1 ms
// an icon under Wine). So every icon is drawn once, in advance, over the two
// backgrounds an item can have, into a strip that a popup copies from.
struct IconStrip {
    COLORREF Background;
    HBITMAP Bitmap;  // the icons side by side, image i at x = i * width
    HDC Dc;          // holds Bitmap while the set is the current one (user-interface thread)
};

enum { kMenuColour = 0, kHighlightColour = 1 };

// One finished set, handed from the worker to the user-interface thread.
struct IconBatch {
    int IconWidth;
    int IconHeight;
    int ImageCount;
    IconStrip Strips[2];  // over the menu colour and over the highlight colour
    IconSlotTable Slots;
};

// What one fetch is for.
struct FetchOrder {
    LONG Generation;
    IconSlotTable Paths;
    int IconWidth;
    int IconHeight;
    COLORREF Colours[2];
};

// Between the threads, under Lock.
struct IconRequestRecord {
    CRITICAL_SECTION Lock;
    IconSlotTable Paths;  // the list to fetch for
    LONG Generation;      // raised by every change of the list; a fetch for an older one stops early
    bool Pending;         // a changed list waits
    bool CheckWanted;     // a launcher popup has closed: look at the files again
    bool Stopping;
    HWND Owner;
    int IconWidth;
    int IconHeight;
    COLORREF Colours[2];
    IconBatch* Finished;  // handed over and not taken yet; only ever the newest
};

// The worker's own: its last fetch, from which the next one takes over every
// icon whose path and file are unchanged.
struct WorkerCacheRecord {
    HIMAGELIST Images;
    IconSlotTable Slots;
    int IconWidth;
    int IconHeight;
    COLORREF Colours[2];
    LONG Generation;
    bool Valid;
};

// User-interface thread only.
struct LauncherIconRecord {
    bool Started;
    bool LockReady;
    HANDLE Worker;
    HANDLE Wake;
    IconBatch* Current;                     // the newest set taken, or null
    int PositionImages[kLauncherCapacity];  // per launcher position: image, kIconNone or kIconUnknown
};

IconRequestRecord Request;
WorkerCacheRecord Cache;
FetchOrder Order;  // worker only
LauncherIconRecord Icons = {false, false, nullptr, nullptr, nullptr, {}};

void FreeBatch(IconBatch* batch) {
    if (!batch) return;
    for (IconStrip& strip : batch->Strips) {
        if (strip.Dc) DeleteDC(strip.Dc);
        if (strip.Bitmap) DeleteObject(strip.Bitmap);
    }
    delete batch;
}

// The worker is, as a rule, the process's first single-threaded COM apartment:
// the user-interface thread initializes COM later, if ever (doing it at
// start-up would load OLE32 there). COM serves that apartment's objects to
// other threads by sending messages to its hidden window (an old shell
// extension without a threading model, made by an open-file dialog on another
// thread: the browse buttons, Moldra's dialog), and on Windows 98 a broadcast
// SendMessage of another program reaches that window too. A thread that waited
// without handling them would hang each of those callers, so the worker
// handles its messages whenever it waits and between two icons.
void HandleMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Until the event is set or timeoutMs (INFINITE: no limit) has passed.
void WaitHandlingMessages(HANDLE event, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HandleMessages();
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeoutMs) return;
            left = timeoutMs - spent;
        }
        if (MsgWaitForMultipleObjects(1, &event, FALSE, left, QS_ALLINPUT) != WAIT_OBJECT_0 + 1) return;
    }
}

// The cheap look at a file: its attributes and, for a file, one directory entry.
IconFileStamp ReadFileStamp(const char* keptPath) {
    char buffer[kTextSize];
    const char* path = NativePath(keptPath, buffer, sizeof buffer);
    IconFileStamp stamp = {false, 0, 0, 0, 0, 0};
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return stamp;
    stamp.Present = true;
    stamp.Attributes = attributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return stamp;  // a folder's time changes with what it holds
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path, &found);
    if (find != INVALID_HANDLE_VALUE) {
        stamp.WriteLow = found.ftLastWriteTime.dwLowDateTime;
        stamp.WriteHigh = found.ftLastWriteTime.dwHighDateTime;
        stamp.SizeLow = found.nFileSizeLow;
        stamp.SizeHigh = found.nFileSizeHigh;
        FindClose(find);
    }
    return stamp;
}

HICON ShellIcon(const char* path) {
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof info);
    RedirectionOffFor realFile(path);
    if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) return nullptr;
    return info.hIcon;
}

// Draws every image of images over background into a new strip.
void DrawStrip(HIMAGELIST images, const IconBatch& batch, IconStrip* strip, COLORREF background) {
    strip->Background = background;
    strip->Bitmap = nullptr;
    strip->Dc = nullptr;
    if (batch.ImageCount <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, batch.IconWidth * batch.ImageCount, batch.IconHeight);
    ReleaseDC(nullptr, screen);
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, batch.IconWidth * batch.ImageCount, batch.IconHeight};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        for (int i = 0; i < batch.ImageCount; ++i)
            ImageList_Draw(images, i, dc, i * batch.IconWidth, 0, ILD_TRANSPARENT);
        SelectObject(dc, old);
        strip->Bitmap = bitmap;
        bitmap = nullptr;
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
}

bool RequestStillWanted(LONG generation) {
    EnterCriticalSection(&Request.Lock);
    const bool wanted = !Request.Stopping && Request.Generation == generation;
    LeaveCriticalSection(&Request.Lock);
    return wanted;
}

bool CacheFits(const FetchOrder& order) {
    return Cache.Valid && Cache.IconWidth == order.IconWidth && Cache.IconHeight == order.IconHeight;
}

// The icons of order's paths: taken over from the last fetch where path and file
// are unchanged, asked from the shell otherwise. Null when a newer request or
// the exit made the work useless, or nothing could be made. The result becomes
// the worker's cache.
IconBatch* FetchIcons(const FetchOrder& order) {
    const int count = order.Paths.Count;
    HIMAGELIST images =
        ImageList_Create(order.IconWidth, order.IconHeight, ILC_COLOR32 | ILC_MASK, count > 0 ? count : 1, 4);
    if (!images) return nullptr;
    IconBatch* batch = new (std::nothrow) IconBatch;
    if (!batch) {
        ImageList_Destroy(images);
        return nullptr;
    }
    ZeroMemory(batch->Strips, sizeof batch->Strips);
    batch->IconWidth = order.IconWidth;
    batch->IconHeight = order.IconHeight;
    batch->ImageCount = 0;
    batch->Slots = order.Paths;
    const IconSlotTable* previous = CacheFits(order) ? &Cache.Slots : nullptr;
    for (int i = 0; i < count; ++i) {
        HandleMessages();
        if (!RequestStillWanted(order.Generation)) {
            FreeBatch(batch);
            ImageList_Destroy(images);
            return nullptr;
        }
        const char* path = batch->Slots.Paths[i];
        const IconFileStamp stamp = ReadFileStamp(path);
        batch->Slots.Stamps[i] = stamp;
        const int reuse = ReusableIconImage(previous, path, stamp);
        HICON icon = reuse >= 0 ? ImageList_GetIcon(Cache.Images, reuse, ILD_NORMAL) : nullptr;
        if (reuse == kIconUnknown || (reuse >= 0 && !icon)) icon = ShellIcon(path);
        int image = kIconNone;
        if (icon) {
            image = ImageList_AddIcon(images, icon);
            if (image < 0) image = kIconNone;
            DestroyIcon(icon);
        }
        batch->Slots.Images[i] = image;
    }
    batch->ImageCount = ImageList_GetImageCount(images);
    DrawStrip(images, *batch, &batch->Strips[kMenuColour], order.Colours[kMenuColour]);
    DrawStrip(images, *batch, &batch->Strips[kHighlightColour], order.Colours[kHighlightColour]);
    if (Cache.Images) ImageList_Destroy(Cache.Images);
    Cache.Images = images;
    Cache.Slots = batch->Slots;
    Cache.IconWidth = order.IconWidth;
    Cache.IconHeight = order.IconHeight;
    Cache.Colours[kMenuColour] = order.Colours[kMenuColour];
    Cache.Colours[kHighlightColour] = order.Colours[kHighlightColour];
    Cache.Generation = order.Generation;
    Cache.Valid = true;
    return batch;
}

// Whether the last fetch no longer shows what the files show now (or was for
// another list, size or colours).
bool CacheOutOfDate(const FetchOrder& order) {
    if (!CacheFits(order) || Cache.Generation != order.Generation ||
        Cache.Colours[kMenuColour] != order.Colours[kMenuColour] ||
        Cache.Colours[kHighlightColour] != order.Colours[kHighlightColour])
        return true;
    IconFileStamp now[kLauncherCapacity];
    for (int i = 0; i < Cache.Slots.Count; ++i) {
        HandleMessages();
        now[i] = ReadFileStamp(Cache.Slots.Paths[i]);
    }
    return AnyIconFileChanged(Cache.Slots, now);
}

// Leaves the set for the user-interface thread and tells it; a set it has not
// taken yet is older and goes.
void HandOver(IconBatch* batch) {
    EnterCriticalSection(&Request.Lock);
    IconBatch* untaken = Request.Finished;
    Request.Finished = batch;
    HWND owner = Request.Owner;
    LeaveCriticalSection(&Request.Lock);
    FreeBatch(untaken);
    PostMessageA(owner, kLauncherIconsMessage, 0, 0);
}

DWORD WINAPI IconWorker(LPVOID) {
    // The shell's icon look-up may use COM objects (shell extensions) on this thread.
    const HRESULT com = CoInitialize(nullptr);
    DWORD lastLook = GetTickCount();
    bool lookWanted = false;
    for (;;) {
        const DWORD wait =
            lookWanted ? MillisecondsUntilFileCheck(lastLook, GetTickCount(), kFileCheckInterval) : INFINITE;
        if (wait != 0) WaitHandlingMessages(Icons.Wake, wait);
        EnterCriticalSection(&Request.Lock);
        const bool stopping = Request.Stopping;
        const bool pending = Request.Pending;
        if (Request.CheckWanted) lookWanted = true;
        Request.Pending = false;
        Request.CheckWanted = false;
        Order.Generation = Request.Generation;
        Order.Paths = Request.Paths;
        Order.IconWidth = Request.IconWidth;
        Order.IconHeight = Request.IconHeight;
        Order.Colours[kMenuColour] = Request.Colours[kMenuColour];
        Order.Colours[kHighlightColour] = Request.Colours[kHighlightColour];
        LeaveCriticalSection(&Request.Lock);
        if (stopping) break;
        bool fetch = pending;
        if (!fetch && lookWanted && MillisecondsUntilFileCheck(lastLook, GetTickCount(), kFileCheckInterval) == 0) {
            lookWanted = false;
            lastLook = GetTickCount();
            fetch = CacheOutOfDate(Order);
        }
        if (fetch) {
            lastLook = GetTickCount();  // a fetch looks at every file
            if (IconBatch* batch = FetchIcons(Order)) HandOver(batch);
        }
        // Without the shell or the common controls there is nothing to fetch:
        // the worker ends, and a popup draws what it can without it.
        if (SystemLibraryMissing(kShellLibrary) || SystemLibraryMissing(kCommonControlsLibrary)) break;
    }
    if (Cache.Images) ImageList_Destroy(Cache.Images);
    Cache.Images = nullptr;
    Cache.Valid = false;
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

bool StartWorker() {
    InitializeCriticalSection(&Request.Lock);
    Icons.LockReady = true;
    Request.Generation = 0;
    Request.Pending = false;
    Request.CheckWanted = false;
    Request.Stopping = false;
    Request.Finished = nullptr;
    Icons.Wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!Icons.Wake) return false;
    DWORD id;
    Icons.Worker = CreateThread(nullptr, 0, IconWorker, nullptr, 0, &id);
    if (!Icons.Worker) {
        CloseHandle(Icons.Wake);
        Icons.Wake = nullptr;
        return false;
    }
    // Below the user-interface thread: the icons must never slow what the user sees.
    SetThreadPriority(Icons.Worker, THREAD_PRIORITY_LOWEST);
    return true;
}

// The system's metrics and colours the strips are drawn for; under the lock.
void SetRequestLooks(int width, int height, COLORREF menu, COLORREF highlight) {
    Request.IconWidth = width;
    Request.IconHeight = height;
    Request.Colours[kMenuColour] = menu;
    Request.Colours[kHighlightColour] = highlight;
}

}  // namespace

void RefreshLauncherIcons(HWND skinWindow) {
    if (!Icons.Started) {
        Icons.Started = true;
        if (!StartWorker()) return;  // without a worker, every popup asks the shell as it draws
    }
    if (!Icons.Worker) return;
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    const COLORREF menu = GetSysColor(COLOR_MENU), highlight = GetSysColor(COLOR_HIGHLIGHT);
    EnterCriticalSection(&Request.Lock);
    CopyIconPaths(LauncherList, &Request.Paths);
    ++Request.Generation;
    Request.Pending = true;
    Request.Owner = skinWindow;
    SetRequestLooks(width, height, menu, highlight);
    LeaveCriticalSection(&Request.Lock);
    SetEvent(Icons.Wake);
}

void CheckLauncherIconFiles() {
    if (!Icons.Worker) return;
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    const COLORREF menu = GetSysColor(COLOR_MENU), highlight = GetSysColor(COLOR_HIGHLIGHT);
    EnterCriticalSection(&Request.Lock);
    Request.CheckWanted = true;
    SetRequestLooks(width, height, menu, highlight);
    LeaveCriticalSection(&Request.Lock);
    SetEvent(Icons.Wake);
}

LRESULT OnLauncherIconsReady() {
    if (!Icons.Worker || !Icons.LockReady) return 0;
    EnterCriticalSection(&Request.Lock);
    IconBatch* batch = Request.Finished;
    Request.Finished = nullptr;
    LeaveCriticalSection(&Request.Lock);
    if (!batch) return 0;
    FreeBatch(Icons.Current);
    Icons.Current = batch;
    for (IconStrip& strip : batch->Strips)
        if (strip.Bitmap && (strip.Dc = CreateCompatibleDC(nullptr)) != nullptr) SelectObject(strip.Dc, strip.Bitmap);
    // An open popup may draw again at once: its positions must point into the new set.
    PrepareLauncherIcons();
    return 0;
}

void PrepareLauncherIcons() { MatchIconSlots(Icons.Current ? &Icons.Current->Slots : nullptr, LauncherList, Icons.PositionImages); }

bool DrawLauncherIcon(HDC dc, int position, int x, int y, int width, int height) {
    if (position < 0 || position >= kLauncherCapacity) return false;
    const int image = Icons.PositionImages[position];
    const IconBatch* batch = Icons.Current;
    if (image != kIconUnknown && batch && batch->IconWidth == width && batch->IconHeight == height) {
        if (image == kIconNone) return false;
        const COLORREF background = GetBkColor(dc);
        for (const IconStrip& strip : batch->Strips)
            if (strip.Dc && strip.Background == background && image < batch->ImageCount)
                return BitBlt(dc, x, y, width, height, strip.Dc, image * width, 0, SRCCOPY) != FALSE;
        // The colours changed since the strips were drawn: the shell below, until
        // the look after this popup has them drawn anew.
    }
    HICON icon = ShellIcon(LauncherList.Entries[position].Path);
    if (!icon) return false;
    DrawIconEx(dc, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    return true;
}

void ShutDownLauncherIcons() {
    if (Icons.Worker) {
        EnterCriticalSection(&Request.Lock);
        Request.Stopping = true;
        LeaveCriticalSection(&Request.Lock);
        SetEvent(Icons.Wake);
        // The worker stops between two icons; one icon never takes this long.
        if (WaitForSingleObject(Icons.Worker, 5000) == WAIT_OBJECT_0) {
            CloseHandle(Icons.Worker);
            CloseHandle(Icons.Wake);
            FreeBatch(Request.Finished);
            Request.Finished = nullptr;
            DeleteCriticalSection(&Request.Lock);
            Icons.LockReady = false;
        }
        Icons.Worker = nullptr;
        Icons.Wake = nullptr;
    }
    FreeBatch(Icons.Current);
    Icons.Current = nullptr;
    MatchIconSlots(nullptr, LauncherList, Icons.PositionImages);
}
