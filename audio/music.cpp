#include "audio/music.h"

FMUSIC_MODULE* OpenMusic() {
    FSOUND_Init(44100, 32, 0);
    return FMUSIC_LoadSong("music.xm");
}
