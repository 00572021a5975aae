#include "settings_dialog/interval_text.h"

#include "common/text_scan.h"

int IntervalFromText(const char* text) { return LeadingInt(text); }
