// Stand-in extras that the music library does not have, for tools and tests.
#pragma once
#include <fmod.h>

// Makes FMUSIC_GetTime answer the position set here instead of the played one, for
// tests and for the offline capture, which drive the position themselves.
void FmodUseVirtualPosition(bool on);
void FmodSetVirtualPosition(int ms);

// The module's length in milliseconds, or -1 for a null module.
int FmodModuleDurationMs(FMUSIC_MODULE* mod);
