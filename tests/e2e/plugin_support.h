// Helpers for the plug-in tests: the fixture plug-ins built beside the driver,
// choosing from the plug-in popup with real keys, a process's loaded modules
// and busy processors.
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
// Starts the delivered plug-in `file` ("Moldra.ppi", "Tachel.ppi") from the
// popup and returns its dialog that was not there before; `which` names it in
// the failure that stops the test without one.
HWND OpenNewPluginDialog(const PeltoSession& s, const std::string& file, const std::string& caption, const char* which);

// Whether a module of that file name (case-insensitive, no folder) is loaded in
// the process, from a tool-help module snapshot.
bool ModuleLoaded(DWORD pid, const char* fileName);

// The text of a file ("" when it cannot be read).
std::string ReadFileText(const std::string& path);

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
