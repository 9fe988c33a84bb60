// Stand-in extra for tests: make CreateDevice refuse one device, as on a machine
// without it. Null clears.
#pragma once
#include <dinput.h>

void DInputTestRefuseDevice(const GUID* device);
