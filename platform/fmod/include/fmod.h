// Stand-in for the music library: module playback and its position, on libopenmpt
// and SDL2 audio.
#pragma once

typedef struct FMUSIC_MODULE FMUSIC_MODULE;

#define FSOUND_INIT_USEDEFAULTMIDISYNTH 0x01

// Opens the sound output; FALSE (0) when there is none: music then stays silent
// and positions follow the wall clock.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
// A module from a file (Windows path rules); null when it is missing or damaged.
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);
// Stops the module if it plays and frees it.
signed char FMUSIC_FreeSong(FMUSIC_MODULE* mod);
// Starts playing (once, no loop); a null module still starts the position's clock.
signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod);
// Milliseconds of music played since FMUSIC_PlaySong; never goes back and counts on
// after the module's end. 0 before FMUSIC_PlaySong.
int FMUSIC_GetTime(FMUSIC_MODULE* mod);
