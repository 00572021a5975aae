// The launcher and plug-in popups: one owner-drawn item per entry, with a small
// icon and a text, and the skin window's reading of the command they give back.
#pragma once
#include <windows.h>

// Which list the popup being built and shown holds.
enum class PopupList { None, Launcher, Plugins };
extern PopupList PopupKind;
// Set when their popup has closed, so that the next command knows that an id
// below 100 is a position in that list.
extern unsigned char LauncherMenuShown;
extern unsigned char PluginMenuShown;

// Clears both popup flags (a right click, lost focus, any command).
void ClearPopupFlags();

// Runs before the command table: while a popup's flag is set, a wParam from
// IDM_POPUP_ROW_FIRST to IDM_POPUP_ROW_LAST is the position of the chosen entry, which is opened or started. Clears both
// flags whatever the command. Returns true when the command was a popup item.
bool PopupCommandPreCheck(HWND skinWindow, WPARAM wParam);

// The popups at the pointer; each does nothing while its list is empty.
void ShowLauncherPopup(HWND skinWindow);
void ShowPluginPopup(HWND skinWindow);

// Appends the items of the list named by PopupKind to an empty popup menu.
void BuildListPopup(HMENU menu);
// Takes the menu font, the small-icon size and the highlight colours afresh.
void RefreshMenuMetrics();

// The skin window's WM_MEASUREITEM and WM_DRAWITEM.
void MeasureListItem(HWND skinWindow, MEASUREITEMSTRUCT* measure);
void DrawListItem(const DRAWITEMSTRUCT* draw);
