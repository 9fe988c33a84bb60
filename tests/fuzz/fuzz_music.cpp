// The music load on arbitrary bytes, and a little playback of what loads.
#include <fmod.h>
#include <fmod_extras.h>

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char pattern[] = "/tmp/quillmere-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern)) + "/music.xm";
    }();
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    if (FMUSIC_MODULE* mod = FMUSIC_LoadSong(path.c_str())) {
        static short buffer[2 * 4096];
        FmodRenderOffline(mod, buffer, 4096);
        FMUSIC_FreeSong(mod);
    }
    return 0;
}
