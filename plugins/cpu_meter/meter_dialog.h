// The meter window: a progress bar refreshed twice a second and an "x" button.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MeterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
