// Stand-in extras that the music library does not have, for tools and tests.
#pragma once
#include <fmod.h>

// The module's length in milliseconds, or -1 for a null module.
int FmodModuleDurationMs(FMUSIC_MODULE* mod);
