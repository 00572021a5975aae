// The two path operations shared by the host and the skin maker.
#pragma once

// Cuts path, in place, after its last backslash (the backslash stays).
// A path with no backslash is left as it is.
void DirectoryPart(char* path);

// Replaces text, in place, by what follows the last separator. A text with no
// backslash at all is left unchanged; the first character is never examined, so
// when the separator is not found after it the result is the text from its second
// character on (C:\dir\readme with '.' gives :\dir\readme).
void TailAfterLast(char* text, char separator);
