#include "app/debug_log.h"

const DebugLog g_debugLog;
