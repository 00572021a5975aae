#include "core/tracking.h"

namespace {
int Attached = 0;
}

LRESULT TrackingTick(HWND) { return 0; }

void SetAttachment(int on) { Attached = on; }
void ToggleAttachment() { Attached = Attached ? 0 : 1; }
int AttachmentOn() { return Attached; }
