#include "plugin_host/plugin_list.h"

PluginListRecord PluginList = {};
