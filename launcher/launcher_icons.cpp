#include "launcher/launcher_icons.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <new>

#include "launcher/icon_slots.h"
#include "launcher/launcher_store.h"

namespace {

// One fetch: the paths it was asked for and, once done, their icons.
// Drawing an image list's icon blends its edges afresh every time (about 0.1 ms
// an icon under Wine). So every icon is also drawn once, in advance, over the
// two backgrounds an item can have, into a strip that a popup copies from.
struct IconStrip {
    COLORREF Background;
    HBITMAP Bitmap;  // the icons side by side, image i at x = i * width
    HDC Dc;          // holds Bitmap while the batch is the current one (user-interface thread)
};

struct IconBatch {
    LONG Generation;
    HIMAGELIST Images;
    int IconWidth;
    int IconHeight;
    int ImageCount;
    IconStrip Strips[2];  // over the menu colour and over the highlight colour
    IconSlotTable Slots;
};

// Between the threads: the request the worker takes next, under Lock.
struct IconRequestRecord {
    CRITICAL_SECTION Lock;
    IconSlotTable Paths;
    LONG Generation;       // raised by every request; a fetch for an older one stops early
    bool Pending;
    bool Stopping;
    HWND Owner;
    int IconWidth;
    int IconHeight;
};

// User-interface thread only.
struct LauncherIconRecord {
    bool Started;
    HANDLE Worker;
    HANDLE Wake;
    IconBatch* Current;                     // the newest finished fetch, or null
    int PositionImages[kLauncherCapacity];  // per launcher position: image, kIconNone or kIconUnknown
};

IconRequestRecord Request;
LauncherIconRecord Icons = {false, nullptr, nullptr, nullptr, {}};

void FreeBatch(IconBatch* batch) {
    if (!batch) return;
    for (IconStrip& strip : batch->Strips) {
        if (strip.Dc) DeleteDC(strip.Dc);
        if (strip.Bitmap) DeleteObject(strip.Bitmap);
    }
    if (batch->Images) ImageList_Destroy(batch->Images);
    delete batch;
}

// Draws every image of the batch over background into a new strip.
void DrawStrip(IconBatch* batch, IconStrip* strip, COLORREF background) {
    strip->Background = background;
    strip->Bitmap = nullptr;
    strip->Dc = nullptr;
    if (batch->ImageCount <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, batch->IconWidth * batch->ImageCount, batch->IconHeight);
    ReleaseDC(nullptr, screen);
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, batch->IconWidth * batch->ImageCount, batch->IconHeight};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        for (int i = 0; i < batch->ImageCount; ++i)
            ImageList_Draw(batch->Images, i, dc, i * batch->IconWidth, 0, ILD_TRANSPARENT);
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

// Fetches every path of the batch; false when a newer request or the exit made
// the work useless.
bool FetchBatch(IconBatch* batch) {
    batch->Images = ImageList_Create(batch->IconWidth, batch->IconHeight, ILC_COLOR32 | ILC_MASK, batch->Slots.Count, 4);
    if (!batch->Images) return false;
    for (int i = 0; i < batch->Slots.Count; ++i) {
        if (!RequestStillWanted(batch->Generation)) return false;
        SHFILEINFOA info;
        ZeroMemory(&info, sizeof info);
        batch->Slots.Images[i] = kIconNone;
        if (SHGetFileInfoA(batch->Slots.Paths[i], 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon) {
            const int image = ImageList_AddIcon(batch->Images, info.hIcon);
            if (image >= 0) batch->Slots.Images[i] = image;
            DestroyIcon(info.hIcon);
        }
    }
    batch->ImageCount = ImageList_GetImageCount(batch->Images);
    DrawStrip(batch, &batch->Strips[0], GetSysColor(COLOR_MENU));
    DrawStrip(batch, &batch->Strips[1], GetSysColor(COLOR_HIGHLIGHT));
    return true;
}

DWORD WINAPI IconWorker(LPVOID) {
    // The shell's icon look-up may use COM objects (shell extensions) on this thread.
    const HRESULT com = CoInitialize(nullptr);
    for (;;) {
        WaitForSingleObject(Icons.Wake, INFINITE);
        IconBatch* batch = new (std::nothrow) IconBatch;
        HWND owner;
        EnterCriticalSection(&Request.Lock);
        if (!batch) {
            // No memory for the icons: the popups ask the shell as they draw.
            const bool stopping = Request.Stopping;
            LeaveCriticalSection(&Request.Lock);
            if (stopping) break;
            continue;
        }
        const bool stopping = Request.Stopping;
        const bool pending = Request.Pending;
        Request.Pending = false;
        batch->Generation = Request.Generation;
        batch->Images = nullptr;
        batch->ImageCount = 0;
        ZeroMemory(batch->Strips, sizeof batch->Strips);
        batch->IconWidth = Request.IconWidth;
        batch->IconHeight = Request.IconHeight;
        batch->Slots = Request.Paths;
        owner = Request.Owner;
        LeaveCriticalSection(&Request.Lock);
        if (stopping) {
            FreeBatch(batch);
            break;
        }
        if (!pending) {
            FreeBatch(batch);
            continue;
        }
        // A batch the window never takes (it is gone, or a newer request came)
        // is freed here; one posted is the window's to free.
        if (!FetchBatch(batch) ||
            !PostMessageA(owner, kLauncherIconsMessage, static_cast<WPARAM>(batch->Generation),
                          reinterpret_cast<LPARAM>(batch)))
            FreeBatch(batch);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

bool StartWorker() {
    InitializeCriticalSection(&Request.Lock);
    Request.Generation = 0;
    Request.Pending = false;
    Request.Stopping = false;
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

}  // namespace

void RefreshLauncherIcons(HWND skinWindow) {
    if (!Icons.Started) {
        Icons.Started = true;
        if (!StartWorker()) return;  // without a worker, every popup asks the shell as it draws
    }
    if (!Icons.Worker) return;
    EnterCriticalSection(&Request.Lock);
    CopyIconPaths(LauncherList, &Request.Paths);
    ++Request.Generation;
    Request.Pending = true;
    Request.Owner = skinWindow;
    Request.IconWidth = GetSystemMetrics(SM_CXSMICON);
    Request.IconHeight = GetSystemMetrics(SM_CYSMICON);
    LeaveCriticalSection(&Request.Lock);
    SetEvent(Icons.Wake);
}

LRESULT OnLauncherIconsReady(WPARAM, LPARAM lParam) {
    IconBatch* batch = reinterpret_cast<IconBatch*>(lParam);
    if (!batch) return 0;
    // Icons are tied to the paths they were fetched for, so even a batch for an
    // older list is right for every entry whose path it holds; the newest wins.
    if (Icons.Current && Icons.Current->Generation > batch->Generation) {
        FreeBatch(batch);
        return 0;
    }
    FreeBatch(Icons.Current);
    Icons.Current = batch;
    for (IconStrip& strip : batch->Strips)
        if (strip.Bitmap && (strip.Dc = CreateCompatibleDC(nullptr)) != nullptr) SelectObject(strip.Dc, strip.Bitmap);
    // An open popup may draw again at once: its positions must point into the new list.
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
        return ImageList_Draw(batch->Images, image, dc, x, y, ILD_TRANSPARENT) != FALSE;
    }
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof info);
    if (!SHGetFileInfoA(LauncherList.Entries[position].Path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) ||
        !info.hIcon)
        return false;
    DrawIconEx(dc, x, y, info.hIcon, width, height, 0, nullptr, DI_NORMAL);
    DestroyIcon(info.hIcon);
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
            DeleteCriticalSection(&Request.Lock);
        }
        Icons.Worker = nullptr;
        Icons.Wake = nullptr;
    }
    // A batch posted after the message loop ended waits in the queue.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, kLauncherIconsMessage, kLauncherIconsMessage, PM_REMOVE))
        FreeBatch(reinterpret_cast<IconBatch*>(msg.lParam));
    FreeBatch(Icons.Current);
    Icons.Current = nullptr;
    MatchIconSlots(nullptr, LauncherList, Icons.PositionImages);
}
