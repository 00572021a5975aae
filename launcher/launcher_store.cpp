#include "launcher/launcher_store.h"

LauncherListRecord LauncherList = {};
