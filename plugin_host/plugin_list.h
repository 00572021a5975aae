// The plug-ins found in the plugins folder.
#pragma once

constexpr int kPluginRows = 101;
constexpr int kPluginTextSize = 101;

struct PluginEntry {
    char DisplayName[kPluginTextSize];
    char FileName[kPluginTextSize];
};

struct PluginListRecord {
    int Count;
    PluginEntry Entries[kPluginRows];
};

extern PluginListRecord PluginList;
