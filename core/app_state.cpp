#include "core/app_state.h"

SettingsRecord Settings = {0, 1, ""};
SkinRecord Skin = {};
TargetWindowRecord TargetWindow = {};

char ModulePath[kTextSize];
char ProgramDir[kTextSize];
HINSTANCE ProgramInstance;
HMENU MainMenu;
HICON TrayIcon;

const char kSkinClassName[] = "PeltoClass";
const char kSkinWindowTitle[] = "Quorval Pelto";
const char kRegionProperty[] = "PeltoRegion";
const char kMessageCaption[] = "Pelto";
