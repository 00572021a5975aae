// Bounded text helpers for the fixed 260-byte buffers the program works with.
#pragma once
#include <cstddef>

// Size of every path and window-text buffer: at most 259 bytes and a zero.
constexpr std::size_t kTextSize = 260;

// Copies src into dst (dstSize bytes). Returns false, leaving dst holding as much
// of src as fits (always terminated), when src is too long.
bool CopyText(char* dst, std::size_t dstSize, const char* src);

// dst = a + b + c (c may be null). Returns false and leaves dst empty when the
// result would not fit: a cut path would name some other file.
bool JoinText(char* dst, std::size_t dstSize, const char* a, const char* b, const char* c = nullptr);

// Whether c begins a code page 932 double-byte character.
bool IsCp932LeadByte(unsigned char c);

// Length in bytes of the longest start of text that has at most maxBytes bytes
// and does not end inside a code page 932 double-byte character.
std::size_t Cp932FitLength(const char* text, std::size_t maxBytes);
