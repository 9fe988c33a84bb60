#pragma once
#include "app/app_framework.h"

// The entry point's road: the window and start-up inside one protected block, then
// the loop. A start-up failure shows its text, cleans up and ends with 0.
int RunApplication(AppFramework& app, HINSTANCE instance);
