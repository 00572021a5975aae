// The discovery pass: fills PluginList from the plugins folder, asking each
// library for its display name.
#pragma once

void DiscoverPlugins();
