// The plug-in tests' helpers: fixture plug-ins, the plug-in popup, loaded modules, busy processors.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "driver_support.h"
#include "pelto_session.h"

namespace e2e {

// The messages of discovery and start.
inline constexpr char kNotAPluginText[] = "指定されたプラグインはPeltoプラグインではありません。\n指定し直してください。";
inline constexpr char kMissingPluginText[] = "指定されたプラグインがありません。";

// A fixture plug-in built with the driver ("quick", ...): its path; copied to plugins\<name>.ppi.
std::string FixturePath(const std::string& name);
bool InstallFixture(const InstallFolder& folder, const std::string& name);

// The names in `valid` among plugins\*.ppi, in the file search's order: the list's rows.
std::vector<std::string> PluginRowOrder(const InstallFolder& folder, const std::vector<std::string>& valid);
int RowOf(const std::vector<std::string>& rows, const std::string& name);

// The plug-in popup by Ctrl+Shift+X (null: none); its row of rowCount chosen with a click,
// false when no popup opened or it did not close.
HWND OpenPluginPopup(const PeltoSession& s);
bool ChooseFromPluginPopup(const PeltoSession& s, int row, int rowCount);

std::vector<HWND> DialogsCaptioned(DWORD pid, const std::string& caption);  // visible "#32770"
// The delivered plug-in `file` ("Moldra.ppi", ...) started from the popup, and its new
// dialog; `which` names it in the failure that stops the test without one.
HWND OpenNewPluginDialog(const PeltoSession& s, const std::string& file, const std::string& caption, const char* which);

// Whether a module of that file name (any case, no folder) is loaded in the process.
bool ModuleLoaded(DWORD pid, const char* fileName);

// Threads that keep every processor busy while the object lives.
class BusyProcessors : NoCopy {
public:
    BusyProcessors();
    ~BusyProcessors();
    int count() const { return static_cast<int>(threads_.size()); }

private:
    static DWORD WINAPI Spin(void* stop);
    volatile LONG stop_ = 0;
    std::vector<HANDLE> threads_;
};

}  // namespace e2e
