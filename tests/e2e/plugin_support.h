// Helpers for the plug-in tests: the fixture plug-ins built beside the driver,
// choosing from the plug-in popup with real keys, a process's loaded modules,
// dialog templates read from a built module's resources, and busy processors.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "driver_support.h"
#include "pelto_session.h"

namespace e2e {

// The messages of discovery and start.
extern const char kNotAPluginText[];
extern const char kMissingPluginText[];

// A fixture plug-in built with the driver ("quick", "no_start", ...): its path,
// and copying it into a folder's plugins\ as <name>.ppi.
std::string FixturePath(const std::string& name);
bool InstallFixture(const InstallFolder& folder, const std::string& name);

// The names of plugins\*.ppi in the order the file search returns them, without
// folders: the order of the plug-in list's rows. Only names in `valid` count.
std::vector<std::string> PluginRowOrder(const InstallFolder& folder, const std::vector<std::string>& valid);
int RowOf(const std::vector<std::string>& rows, const std::string& name);

// Opens the plug-in popup with Ctrl+Shift+X typed on the skin window; returns
// the visible "#32768" window or null.
HWND OpenPluginPopup(const PeltoSession& s);
// Opens the popup and chooses the item at row, of rowCount, with a click on the
// "#32768" window. Returns false when no popup opened or it did not close.
bool ChooseFromPluginPopup(const PeltoSession& s, int row, int rowCount);

// Visible "#32770" windows of the process captioned `caption`.
std::vector<HWND> DialogsCaptioned(DWORD pid, const std::string& caption);
// The one message box of the process with caption "Pelto" that comes within timeoutMs.
HWND WaitForPeltoMessage(const PeltoProcess& pelto, DWORD timeoutMs = 10000);

// Whether a module of that file name (case-insensitive, no folder) is loaded in
// the process, from a tool-help module snapshot.
bool ModuleLoaded(DWORD pid, const char* fileName);

// The text of a file ("" when it cannot be read).
std::string ReadFileText(const std::string& path);

// A dialog template (DIALOG, not DIALOGEX) as its module holds it.
struct DialogItemLayout {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    WORD classAtom = 0;      // 0x80 button, 0x81 edit, 0x82 static; 0 when named
    std::string className;   // when named
    std::string text;        // CP932
    int textOrdinal = -1;    // a resource ordinal instead of text (a picture), else -1
};
struct DialogLayout {
    bool ok = false;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    WORD pointSize = 0;
    std::string font;
    WORD language = 0;
    std::vector<DialogItemLayout> items;
};
DialogLayout ReadDialogLayout(const std::string& modulePath, int dialogId);

// Threads of the driver that keep every processor busy while the object lives.
class BusyProcessors {
public:
    BusyProcessors();
    ~BusyProcessors();
    BusyProcessors(const BusyProcessors&) = delete;
    BusyProcessors& operator=(const BusyProcessors&) = delete;
    int count() const { return static_cast<int>(threads_.size()); }

private:
    static DWORD WINAPI Spin(void* stop);
    volatile LONG stop_ = 0;
    std::vector<HANDLE> threads_;
};

}  // namespace e2e
