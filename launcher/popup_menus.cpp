#include "launcher/popup_menus.h"

#include <shellapi.h>

#include <cstring>

#include "common/text_buffers.h"
#include "core/app_state.h"
#include "launcher/launcher_icons.h"
#include "launcher/launcher_store.h"
#include "launcher/native_path.h"
#include "plugin_host/plugin_launch.h"
#include "plugin_host/plugin_list.h"
#include "resources/resource_ids.h"

PopupList PopupKind = PopupList::None;
unsigned char LauncherMenuShown = 0;
unsigned char PluginMenuShown = 0;

namespace {

// How many rows a popup lists: its item ids are the positions 0 to 99.
constexpr int kPopupRows = IDM_POPUP_ROW_LAST - IDM_POPUP_ROW_FIRST + 1;

LOGFONTA MenuFont;
int SmallIconWidth = 16;
int SmallIconHeight = 16;
COLORREF HighlightColour;
COLORREF HighlightTextColour;

int ListCount(PopupList kind) {
    int count = 0;
    if (kind == PopupList::Launcher) count = LauncherList.Count;
    if (kind == PopupList::Plugins) count = PluginList.Count;
    if (count < 0) return 0;
    return count > kPopupRows ? kPopupRows : count;
}

// Whether a command's id is a popup row rather than a main-menu command.
bool IsPopupRow(WPARAM wParam) { return wParam <= static_cast<WPARAM>(IDM_POPUP_ROW_LAST); }

// The item's text by its position; empty for a position outside the list.
const char* ItemText(ULONG_PTR position) {
    if (position >= static_cast<ULONG_PTR>(ListCount(PopupKind))) return "";
    if (PopupKind == PopupList::Launcher) return LauncherList.Entries[position].Title;
    if (PopupKind == PopupList::Plugins) return PluginList.Entries[position].DisplayName;
    return "";
}

void ShowListPopup(HWND skinWindow, PopupList kind) {
    if (ListCount(kind) == 0) return;
    PopupKind = kind;
    if (kind == PopupList::Launcher) PrepareLauncherIcons();
    HMENU popup = CreatePopupMenu();
    BuildListPopup(popup);
    RefreshMenuMetrics();
    POINT p;
    GetCursorPos(&p);
    TrackPopupMenu(popup, 0, p.x, p.y, 0, skinWindow, nullptr);
    DestroyMenu(popup);
    // Once the user has seen the rows, not while they are drawn: files deleted
    // or created since are found, and their rows right at a later open.
    if (kind == PopupList::Launcher) CheckLauncherIconFiles();
    // The chosen item arrives later, as a posted command: this flag tells it
    // which list it came from.
    if (kind == PopupList::Launcher) LauncherMenuShown = 1;
    if (kind == PopupList::Plugins) PluginMenuShown = 1;
    PopupKind = PopupList::None;
}

}  // namespace

void ClearPopupFlags() {
    LauncherMenuShown = 0;
    PluginMenuShown = 0;
}

bool PopupCommandPreCheck(HWND skinWindow, WPARAM wParam) {
    bool item = false;
    if (LauncherMenuShown == 1 && PluginMenuShown == 0 && IsPopupRow(wParam)) {
        item = true;
        const int position = static_cast<int>(wParam);
        // Position 100 and beyond cannot be chosen: the popup lists 0 to 99 only.
        HINSTANCE result = reinterpret_cast<HINSTANCE>(0);
        if (position < LauncherList.Count) {
            char buffer[kTextSize];
            const char* path = NativePath(LauncherList.Entries[position].Path, buffer, sizeof buffer);
            result = ShellExecuteA(skinWindow, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
        }
        if (reinterpret_cast<INT_PTR>(result) < 32)
            MessageBoxA(skinWindow, "起動に失敗しました。", kMessageCaption, MB_OK);
    } else if (PluginMenuShown == 1 && LauncherMenuShown == 0 && IsPopupRow(wParam)) {
        item = true;
        StartPlugin(skinWindow, static_cast<int>(wParam));
    }
    ClearPopupFlags();
    return item;
}

void ShowLauncherPopup(HWND skinWindow) { ShowListPopup(skinWindow, PopupList::Launcher); }

void ShowPluginPopup(HWND skinWindow) { ShowListPopup(skinWindow, PopupList::Plugins); }

void BuildListPopup(HMENU menu) {
    const int count = ListCount(PopupKind);
    for (int i = 0; i < count; ++i)
        AppendMenuA(menu, MF_OWNERDRAW, static_cast<UINT_PTR>(i), reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(i)));
}

void RefreshMenuMetrics() {
    // The Windows 2000 size of the record: later headers add a field, and
    // Windows 2000 refuses a record of that size.
    NONCLIENTMETRICSA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    MenuFont = metrics.lfMenuFont;
    SmallIconWidth = GetSystemMetrics(SM_CXSMICON);
    SmallIconHeight = GetSystemMetrics(SM_CYSMICON);
    HighlightColour = GetSysColor(COLOR_HIGHLIGHT);
    HighlightTextColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
}

void MeasureListItem(HWND skinWindow, MEASUREITEMSTRUCT* measure) {
    HDC dc = GetDC(skinWindow);
    HFONT font = CreateFontIndirectA(&MenuFont);
    HGDIOBJ previous = SelectObject(dc, font);
    const char* text = ItemText(measure->itemData);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(skinWindow, dc);
    measure->itemWidth = static_cast<UINT>(extent.cx + 10);
    measure->itemHeight = static_cast<UINT>(SmallIconHeight + 4);
}

void DrawListItem(const DRAWITEMSTRUCT* draw) {
    HDC dc = draw->hDC;
    HBRUSH brush;
    if (draw->itemState & ODS_SELECTED) {
        brush = CreateSolidBrush(HighlightColour);
        SetBkColor(dc, HighlightColour);
        SetTextColor(dc, HighlightTextColour);
    } else {
        brush = CreateSolidBrush(GetBkColor(dc));
    }
    FillRect(dc, &draw->rcItem, brush);
    DeleteObject(brush);

    const ULONG_PTR position = draw->itemData;
    const int iconX = draw->rcItem.left;
    const int iconY = draw->rcItem.top + 2;
    if (PopupKind == PopupList::Launcher && position < static_cast<ULONG_PTR>(ListCount(PopupList::Launcher))) {
        DrawLauncherIcon(dc, static_cast<int>(position), iconX, iconY, SmallIconWidth, SmallIconHeight);
    } else if (PopupKind == PopupList::Plugins) {
        HICON icon = LoadIconA(ProgramInstance, MAKEINTRESOURCEA(IDI_PLUGIN_ITEM));
        if (icon) DrawIconEx(dc, iconX, iconY, icon, SmallIconWidth, SmallIconHeight, 0, nullptr, DI_NORMAL);
    }

    SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
    const char* text = ItemText(position);
    TextOutA(dc, draw->rcItem.left + SmallIconWidth + 2, draw->rcItem.bottom - 4, text,
             static_cast<int>(std::strlen(text)));
}
