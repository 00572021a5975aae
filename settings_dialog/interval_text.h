// The interval field of the settings dialog, read with the rules of atoi.
#pragma once

// Leading white space, an optional sign, then the decimal digits that follow;
// 0 when there are none ("2s" gives 2, "abc" gives 0). Values beyond the int
// range are clamped rather than wrapped.
int IntervalFromText(const char* text);
