#include "commands/stored_record_format.h"

#include <cstring>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void AppendEscaped(std::string* out, const char* text) {
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == '%') {
            out->push_back('%');
            out->push_back(kHexDigits[c >> 4]);
            out->push_back(kHexDigits[c & 0xF]);
        } else {
            out->push_back(static_cast<char>(c));
        }
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Decodes the field [begin, end) into dst (kTextSize bytes); false for a bad
// escape or a text that does not fit.
bool Unescape(const char* begin, const char* end, char* dst) {
    std::size_t n = 0;
    for (const char* p = begin; p < end; ++p) {
        char c = *p;
        if (c == '%') {
            if (end - p < 3) return false;
            const int high = HexValue(p[1]), low = HexValue(p[2]);
            if (high < 0 || low < 0) return false;
            c = static_cast<char>(high * 16 + low);
            p += 2;
        }
        if (c == '\0' || n + 1 >= kTextSize) return false;
        dst[n++] = c;
    }
    dst[n] = '\0';
    return true;
}

// A decimal number of [begin, end), digits only, at most `limit`.
bool ReadNumber(const char* begin, const char* end, unsigned long long limit, unsigned long long* value) {
    if (begin == end) return false;
    unsigned long long v = 0;
    for (const char* p = begin; p < end; ++p) {
        if (*p < '0' || *p > '9') return false;
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (v > (limit - digit) / 10) return false;
        v = v * 10 + digit;
    }
    *value = v;
    return true;
}

bool ParseLine(const char* begin, const char* end, RecordedWindow* window) {
    const char* field[4];
    const char* fieldEnd[4];
    const char* p = begin;
    for (int i = 0; i < 4; ++i) {
        field[i] = p;
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
        if (i < 3 && !tab) return false;
        if (i == 3 && tab) return false;  // a fifth field
        fieldEnd[i] = i < 3 ? tab : end;
        p = fieldEnd[i] + 1;
    }
    unsigned long long handle, processId;
    if (!ReadNumber(field[0], fieldEnd[0], ~0ull, &handle) || handle == 0) return false;
    if (!ReadNumber(field[1], fieldEnd[1], 0xFFFFFFFFull, &processId)) return false;
    if (!Unescape(field[2], fieldEnd[2], window->ClassName) || window->ClassName[0] == '\0') return false;
    if (!Unescape(field[3], fieldEnd[3], window->Title)) return false;
    window->Handle = handle;
    window->ProcessId = static_cast<unsigned long>(processId);
    return true;
}

}  // namespace

std::string FormatStoredRecord(const StoredRecord& record) {
    std::string text;
    for (int i = 0; i < record.Count && i < kMaxStoredWindows; ++i) {
        const RecordedWindow& w = record.Windows[i];
        if (w.ClassName[0] == '\0') continue;
        text += std::to_string(w.Handle);
        text += '\t';
        text += std::to_string(w.ProcessId);
        text += '\t';
        AppendEscaped(&text, w.ClassName);
        text += '\t';
        AppendEscaped(&text, w.Title);
        text += '\n';
    }
    return text;
}

int ParseStoredRecord(const char* data, std::size_t size, StoredRecord* record) {
    record->Count = 0;
    int leftOut = 0;
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lineEnd) lineEnd = end;
        const char* textEnd = lineEnd;
        if (textEnd > p && textEnd[-1] == '\r') --textEnd;
        if (textEnd > p) {
            RecordedWindow window;
            if (record->Count < kMaxStoredWindows && ParseLine(p, textEnd, &window))
                record->Windows[record->Count++] = window;
            else
                ++leftOut;
        }
        if (lineEnd == end) break;
        p = lineEnd + 1;
    }
    return leftOut;
}
