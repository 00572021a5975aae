// Attachment of the skin window to the foreground window.
#pragma once
#include <windows.h>

// One tick of the tracking timer; always returns 0.
LRESULT TrackingTick(HWND skinWindow);

void SetAttachment(int on);
void ToggleAttachment();
int AttachmentOn();
