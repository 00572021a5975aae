// LoadSettings / SaveSettings: the file "setting" in the program's folder.
#pragma once

// 0 when the file was read and the skin it names was loaded, 1 otherwise
// (the caller then loads the default skin).
int LoadSettings();

// 0 when the file was written, 1 when it could not be; shows no message.
int SaveSettings();
