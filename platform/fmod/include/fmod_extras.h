// Stand-in extras that the music library does not have, for tools and tests.
#pragma once
#include <fmod.h>

#include <cstdint>

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

// Measurement hooks, for the picture-music sync bench. `handed` runs on the audio thread
// after each buffer is handed to the sound device (monotonic nanoseconds, frames handed
// since FMUSIC_PlaySong); `answered` for each position FMUSIC_GetTime answers (monotonic
// nanoseconds, milliseconds). Null turns a hook off.
using FmodHandedHook = void (*)(int64_t ns, int64_t frames);
using FmodAnsweredHook = void (*)(int64_t ns, int ms);
void FmodObserveClock(FmodHandedHook handed, FmodAnsweredHook answered);
