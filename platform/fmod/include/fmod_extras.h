// Stand-in extras that the music library does not have, for tools and tests.
#pragma once
#include <fmod.h>

// Makes FMUSIC_GetTime answer the position set here instead of the played one, for
// tests and for the offline capture, which drive the position themselves.
void FmodUseVirtualPosition(bool on);
void FmodSetVirtualPosition(int ms);

// Renders the module's next `frames` stereo frames at 44100 Hz into `out` (16-bit,
// interleaved), silence past its end, for an offline capture; the sound device is not
// used. Returns frames written.
int FmodRenderOffline(FMUSIC_MODULE* mod, short* out, int frames);

// The module's length in milliseconds, or -1 for a null module.
int FmodModuleDurationMs(FMUSIC_MODULE* mod);
