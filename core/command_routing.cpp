#include "core/command_routing.h"

#include "resources/resource_ids.h"

LRESULT RouteCommand(HWND skinWindow, WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case IDM_CLOSE:
        // The window is not destroyed here: its WM_DESTROY handling frees the
        // hotkeys and posts the quit that ends the message loop.
        SendMessageA(skinWindow, WM_DESTROY, 0, 0);
        break;
    default: break;
    }
    return 0;
}
