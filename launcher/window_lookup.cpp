#include "launcher/window_lookup.h"

// Not yet looked up: no program is ever found.
int FindWindowExecutable(HWND, char* buffer, int size) {
    if (size > 0) buffer[0] = '\0';
    return 0;
}
