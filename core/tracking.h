// Attachment of the skin window to the foreground window (the target), and the
// pointer's glide to a newly found target.
#pragma once
#include <windows.h>

// One tick of the tracking timer: refreshes TargetWindow, places the skin window
// while attachment is on, and glides the pointer to a new target. Returns 0.
LRESULT TrackingTick(HWND skinWindow);

// Moves the pointer from the start to the target point, two pixels a step.
void GlidePointer(int targetX, int targetY, int startX, int startY);

void SetAttachment(int on);
void ToggleAttachment();

// Starts (or restarts) the tracking timer with the interval the settings have
// now, and stops it. Drags, the rename dialog and the notification area pause
// tracking in such pairs.
void StartTracking(HWND skinWindow);
void StopTracking(HWND skinWindow);
