#include "fmod.h"
#include "fmod_extras.h"
#include "winpath.h"

#include <SDL.h>
#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

struct FMUSIC_MODULE {
    openmpt_module* module = nullptr;
    double durationSeconds = 0;
};

namespace {

struct Player {
    SDL_AudioDeviceID device = 0;
    int rate = 44100;
    int bufferFrames = 0;
    bool initTried = false;
    // Written by the audio thread.
    std::atomic<FMUSIC_MODULE*> playing{nullptr};
    std::atomic<bool> ended{false};
    std::atomic<int64_t> framesHanded{0};
    std::atomic<int64_t> lastCallbackNs{0};
    // Main thread only.
    bool started = false;
    int64_t startNs = 0;
    int lastReported = 0;
    bool virtualPosition = false;
    int virtualMs = 0;
    std::atomic<FmodHandedHook> handedHook{nullptr};
    std::atomic<FmodAnsweredHook> answeredHook{nullptr};
};

// Never destroyed: the audio thread may still run while the process exits.
Player& ThePlayer() {
    static Player* player = new Player;
    return *player;
}

int64_t NowNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void Callback(void*, Uint8* stream, int len) {
    Player& p = ThePlayer();
    const int frames = len / 4;
    auto* out = reinterpret_cast<int16_t*>(stream);
    int done = 0;
    FMUSIC_MODULE* mod = p.playing.load();
    if (mod && !p.ended.load()) {
        done = static_cast<int>(openmpt_module_read_interleaved_stereo(
            mod->module, p.rate, static_cast<size_t>(frames), out));
        if (done < frames) p.ended = true; // played once; silence follows
    }
    if (done < frames) memset(out + done * 2, 0, static_cast<size_t>(frames - done) * 4);
    const int64_t handed = p.framesHanded += frames;
    const int64_t now = NowNs();
    p.lastCallbackNs = now;
    if (FmodHandedHook hook = p.handedHook.load()) hook(now, handed);
}

void CloseAtExit() {
    Player& p = ThePlayer();
    if (p.device) SDL_CloseAudioDevice(p.device);
    p.device = 0;
}

// Audio back ends that find no sound card complain on stderr; one line of ours says it.
class QuietStderr {
  public:
    QuietStderr() {
        fflush(stderr);
        saved = dup(2);
        int null = open("/dev/null", O_WRONLY);
        if (saved >= 0 && null >= 0) dup2(null, 2);
        if (null >= 0) close(null);
    }
    ~QuietStderr() {
        fflush(stderr);
        if (saved >= 0) {
            dup2(saved, 2);
            close(saved);
        }
    }

  private:
    int saved = -1;
};

} // namespace

signed char FSOUND_Init(int mixrate, int, unsigned int) {
    Player& p = ThePlayer();
    if (p.initTried) return p.device ? 1 : 0;
    p.initTried = true;
    p.rate = mixrate > 0 ? mixrate : 44100;
    std::string error;
    {
        QuietStderr quiet;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            SDL_AudioSpec want{}, have{};
            want.freq = p.rate;
            want.format = AUDIO_S16SYS;
            want.channels = 2;
            want.samples = 1024;
            want.callback = Callback;
            p.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (p.device) p.bufferFrames = have.samples;
        }
        if (!p.device) error = SDL_GetError();
    }
    if (!p.device) {
        fprintf(stderr, "Quillmere: no audio device (%s); the music stays silent.\n",
                error.empty() ? "none found" : error.c_str());
        return 0;
    }
    atexit(CloseAtExit);
    return 1;
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
    FILE* f = OpenWindowsFile(name, "rb");
    if (!f) return nullptr;
    std::vector<char> bytes;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(f);
    if (bytes.empty()) return nullptr;
    openmpt_module_initial_ctl ctls[] = {{"play.at_end", "stop"}, {nullptr, nullptr}};
    openmpt_module* module = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, nullptr, nullptr, ctls);
    if (!module) return nullptr;
    openmpt_module_set_repeat_count(module, 0);
    openmpt_module_ctl_set_integer(module, "dither", 0);
    auto* mod = new FMUSIC_MODULE;
    mod->module = module;
    mod->durationSeconds = openmpt_module_get_duration_seconds(module);
    return mod;
}

signed char FMUSIC_FreeSong(FMUSIC_MODULE* mod) {
    if (!mod) return 0;
    Player& p = ThePlayer();
    if (p.device) SDL_LockAudioDevice(p.device);
    if (p.playing.load() == mod) p.playing = nullptr;
    if (p.device) SDL_UnlockAudioDevice(p.device);
    openmpt_module_destroy(mod->module);
    delete mod;
    return 1;
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod) {
    Player& p = ThePlayer();
    if (p.virtualPosition) return mod ? 1 : 0; // the position is driven from outside
    if (p.device) SDL_LockAudioDevice(p.device);
    p.playing = mod;
    p.ended = false;
    p.framesHanded = 0;
    p.lastCallbackNs = 0;
    if (p.device) SDL_UnlockAudioDevice(p.device);
    p.started = true;
    p.startNs = NowNs();
    p.lastReported = 0;
    if (p.device) SDL_PauseAudioDevice(p.device, 0);
    return mod ? 1 : 0;
}

int FMUSIC_GetTime(FMUSIC_MODULE*) {
    Player& p = ThePlayer();
    if (p.virtualPosition) return p.virtualMs;
    if (!p.started) return 0;
    int64_t ms;
    if (p.device && p.playing.load()) {
        // What has been handed to the device, less the buffer still queued in it,
        // with the wall clock filling in between two callbacks.
        int64_t handed = p.framesHanded.load();
        int64_t last = p.lastCallbackNs.load();
        int64_t played = std::max<int64_t>(0, handed - p.bufferFrames);
        if (last > 0) {
            int64_t sinceNs = std::max<int64_t>(0, NowNs() - last);
            int64_t extra = sinceNs * p.rate / 1000000000;
            played += std::min<int64_t>(extra, p.bufferFrames);
            played = std::min(played, handed);
        }
        ms = played * 1000 / p.rate;
    } else {
        ms = (NowNs() - p.startNs) / 1000000;
    }
    int value = static_cast<int>(std::min<int64_t>(ms, 0x7FFFFFFF));
    p.lastReported = std::max(p.lastReported, value);
    if (FmodAnsweredHook hook = p.answeredHook.load()) hook(NowNs(), p.lastReported);
    return p.lastReported;
}

void FmodUseVirtualPosition(bool on) {
    ThePlayer().virtualPosition = on;
}
void FmodSetVirtualPosition(int ms) {
    ThePlayer().virtualMs = ms;
}

int FmodRenderOffline(FMUSIC_MODULE* mod, short* out, int frames) {
    if (!out || frames <= 0) return 0;
    int done = 0;
    if (mod)
        done = static_cast<int>(openmpt_module_read_interleaved_stereo(
            mod->module, 44100, static_cast<size_t>(frames), reinterpret_cast<int16_t*>(out)));
    if (done < frames) memset(out + done * 2, 0, static_cast<size_t>(frames - done) * 4);
    return frames;
}

int FmodModuleDurationMs(FMUSIC_MODULE* mod) {
    return mod ? static_cast<int>(mod->durationSeconds * 1000.0 + 0.5) : -1;
}

void FmodObserveClock(FmodHandedHook handed, FmodAnsweredHook answered) {
    ThePlayer().handedHook = handed;
    ThePlayer().answeredHook = answered;
}
