// Starting a chosen plug-in on a thread of its own.
#pragma once
#include <windows.h>

void StartPlugin(HWND skinWindow, int position);
