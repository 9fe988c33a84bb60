// The calls into the music library: start it, load the module, play, ask the position.
#pragma once
#include <cstdint>
#include <fmod.h>

// The music position in milliseconds since the module started; compared signed.
typedef int32_t MusicTime;

// Starts the library (44100 Hz, 32 software channels) and loads "music.xm"; the
// handle is null when the module is missing or damaged.
FMUSIC_MODULE* OpenMusic();
inline MusicTime GetMusicTime(FMUSIC_MODULE* music) {
    return FMUSIC_GetTime(music);
}
