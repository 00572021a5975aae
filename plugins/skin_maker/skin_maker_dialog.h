// The skin maker's dialog: the form of a new skin and the button that writes it.
#pragma once
#include <windows.h>

// Copies the host's module path, from which the skin folder is found.
void KeepHostPath(const char* hostPath);

INT_PTR CALLBACK SkinMakerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
