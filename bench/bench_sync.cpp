// Picture-music sync of the real-time demo through the real audio path: SDL's audio
// into its disk driver (a sound device that writes what it is handed to a file, at the
// pace of real time). Records each buffer handed to the device and the position each
// frame used, then reports, for every change of scene in the schedule, how long after the
// boundary's sound was handed to the device the first frame showing it was presented,
// and the clock's error over the whole run (its drift).
//   quillmere_sync [folder]   (the content folder; needs a display)
#include "app/demo_app.h"
#include "app/entry.h"

#include <fmod_extras.h>
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;

struct Handed {
    int64_t ns, frames;
};
struct Frame {
    int64_t startNs = 0, presentNs = 0;
    int firstMs = -1; // the first position the frame read
};

// Filled on the audio thread, read once the demo has ended.
constexpr size_t kMaxHanded = 1 << 16;
Handed handed[kMaxHanded];
std::atomic<size_t> handedCount{0};

std::vector<Frame> frames; // reserved up front: nothing grows while the demo plays
bool inFrame = false;

int64_t NowNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void OnHanded(int64_t ns, int64_t total) {
    size_t i = handedCount.load(std::memory_order_relaxed);
    if (i < kMaxHanded) {
        handed[i] = {ns, total};
        handedCount.store(i + 1, std::memory_order_release);
    }
}

void OnAnswered(int64_t, int ms) {
    if (inFrame && !frames.empty() && frames.back().firstMs < 0) frames.back().firstMs = ms;
}

class SyncApp : public DemoApp {
  public:
    HRESULT Render() override {
        if (frames.size() == frames.capacity()) return DemoApp::Render();
        frames.push_back({});
        frames.back().startNs = NowNs();
        inFrame = true;
        HRESULT hr = DemoApp::Render();
        inFrame = false;
        frames.back().presentNs = NowNs();
        return hr;
    }
};

// The wall time at which the device reached sample `s`: a buffer plays from the moment it
// is handed, at the device's rate. Negative when the run did not reach it.
int64_t AudibleNs(int64_t s) {
    const size_t n = handedCount.load(std::memory_order_acquire);
    int64_t before = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s < handed[i].frames) return handed[i].ns + (s - before) * 1000000000 / kRate;
        before = handed[i].frames;
    }
    return -1;
}

// The position the device was playing at wall time `ns`, in milliseconds.
double AudibleMsAt(int64_t ns) {
    const size_t n = handedCount.load(std::memory_order_acquire);
    int64_t before = 0;
    for (size_t i = 0; i < n; ++i) {
        const int64_t next = i + 1 < n ? handed[i + 1].ns : INT64_MAX;
        if (ns < next) {
            const double played = before + std::max<int64_t>(0, ns - handed[i].ns) * 1e-9 * kRate;
            return std::min<double>(played, handed[i].frames) * 1000.0 / kRate;
        }
        before = handed[i].frames;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const char* folder = argc > 1 ? argv[1] : QUILLMERE_CONTENT_DIR;
    if (chdir(folder) != 0) {
        fprintf(stderr, "quillmere_sync: cannot enter %s\n", folder);
        return 1;
    }
    char sink[] = "/tmp/quillmere-sync-XXXXXX";
    const int fd = mkstemp(sink);
    if (fd < 0) return 1;
    close(fd);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", sink, 1);
    frames.reserve(200000);
    FmodObserveClock(OnHanded, OnAnswered);

    SyncApp app;
    const int64_t started = NowNs();
    RunApplication(app, GetModuleHandleA(nullptr));
    const int64_t ended = NowNs();
    FmodObserveClock(nullptr, nullptr);

    const size_t n = handedCount.load();
    struct stat st {};
    stat(sink, &st);
    unlink(sink);
    if (n < 2 || frames.size() < 2) {
        fprintf(stderr, "quillmere_sync: no sound was handed to the device\n");
        return 1;
    }
    const double audioSeconds = static_cast<double>(handed[n - 1].frames) / kRate;
    const double audioWall = (handed[n - 1].ns - handed[0].ns) * 1e-9;
    printf("run: %.2f s, %zu frames (%.0f per second), %zu buffers handed\n",
           (ended - started) * 1e-9, frames.size(),
           frames.size() / ((frames.back().presentNs - frames.front().startNs) * 1e-9), n);
    printf("device: %.3f s of sound handed in %.3f s of wall time; %lld bytes reached the "
           "file (%lld handed)\n",
           audioSeconds, audioWall, static_cast<long long>(st.st_size),
           static_cast<long long>(handed[n - 1].frames * 4));

    // Each change of scene: the first frame that shows it, the sound playing when that
    // frame was presented, and the time from the boundary's sound to the picture.
    // The schedule's tests: "t < 14000" changes at 14000, "43000 < t" only after 43000.
    struct Boundary {
        int ms;
        bool after;
    };
    const Boundary boundaries[] = {{14000, false}, {30000, false}, {40000, false}, {43000, true},
                                   {44000, false}, {45000, true},  {46000, false}, {46500, true},
                                   {47500, false}, {48000, true},  {50000, false}};
    printf("\n| boundary (ms) | frame read (ms) | sound at present (ms) | picture behind the sound "
           "(ms) | boundary's sound to picture (ms) |\n");
    printf("|---|---|---|---|---|\n");
    double worst = 0;
    for (const Boundary& boundary : boundaries) {
        const int b = boundary.ms;
        const int64_t audible = AudibleNs(static_cast<int64_t>(b) * kRate / 1000);
        auto it = std::find_if(frames.begin(), frames.end(), [&](const Frame& f) {
            return boundary.after ? f.firstMs > b : f.firstMs >= b;
        });
        const double heard = it == frames.end() ? -1 : AudibleMsAt(it->presentNs);
        if (audible < 0 || heard < 0) {
            printf("| %d | not reached | | | |\n", b);
            continue;
        }
        const double behind = heard - it->firstMs;
        worst = std::max(worst, std::fabs(behind));
        printf("| %d | %d | %.1f | %.1f | %.1f |\n", b, it->firstMs, heard, behind,
               (it->presentNs - audible) * 1e-6);
    }

    // The clock's own error: the position each frame read against what the device was
    // playing when it read it, first and last ten seconds apart (drift).
    double sum[2] = {0, 0}, maxAbs = 0;
    int count[2] = {0, 0};
    for (const Frame& f : frames) {
        const double audible = AudibleMsAt(f.startNs);
        if (f.firstMs < 0 || audible < 0) continue;
        const double error = f.firstMs - audible;
        maxAbs = std::max(maxAbs, std::fabs(error));
        if (audible < 10000) sum[0] += error, ++count[0];
        if (audible > 40000) sum[1] += error, ++count[1];
    }
    const double early = count[0] ? sum[0] / count[0] : NAN;
    const double late = count[1] ? sum[1] / count[1] : NAN;
    printf("\nposition read vs sound playing: largest error %.1f ms; mean %.2f ms over the "
           "first 10 s, %.2f ms over the last 10 s (drift %+.2f ms)\n",
           maxAbs, early, late, late - early);
    printf("worst change of scene: the picture %.1f ms behind the sound it shows (one frame at "
           "60 Hz: 16.7 ms)\n",
           worst);
    return 0;
}
