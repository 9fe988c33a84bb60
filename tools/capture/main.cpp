// quillmere-capture: plays the demo offline with virtual clocks and writes its frames
// (PNG, or a video with sound through ffmpeg) and its sound.
#include "app/demo_app.h"
#include "app/timer.h"

#include <fmod_extras.h>
#include <png.h>
#include <win32_testing.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* kUsage =
    "usage: quillmere-capture [--fps N] [--from MS] [--to MS] --out PATH\n"
    "Plays the demo in the current folder with virtual clocks: frame k is drawn at music\n"
    "position k x 1000 / fps ms and the timer advances 1 / fps s a frame.\n"
    "  --fps N     frames per second (default 60)\n"
    "  --from MS   first music position written (default 0); earlier frames are played\n"
    "              but not written\n"
    "  --to MS     end position, not included (default 50000)\n"
    "  --out PATH  an existing folder: PNG frames 000000.png ... and audio.wav;\n"
    "              a name ending in .mp4 or .mkv: a video with sound (needs ffmpeg);\n"
    "              -: raw BGRA frames on standard output (the sound is not written)\n"
    "It runs without a display through SDL's offscreen driver.\n";

int64_t virtualTicks = 0; // microseconds

BOOL Frequency(LARGE_INTEGER* f) {
    f->QuadPart = 1000000;
    return TRUE;
}
BOOL Counter(LARGE_INTEGER* c) {
    c->QuadPart = virtualTicks;
    return TRUE;
}

void PutWavHeader(FILE* f, uint32_t frames) {
    auto u32 = [&](uint32_t v) { fwrite(&v, 4, 1, f); };
    auto u16 = [&](uint16_t v) { fwrite(&v, 2, 1, f); };
    fwrite("RIFF", 1, 4, f);
    u32(36 + frames * 4);
    fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    fwrite("data", 1, 4, f);
    u32(frames * 4);
}

bool WriteFramePng(const std::string& path, const std::vector<uint32_t>& bgra, int w, int h) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_BGRA;
    return png_image_write_to_file(&image, path.c_str(), 0, bgra.data(), 0, nullptr) != 0;
}

bool EndsWith(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// ffmpeg reading raw frames on its standard input, started without a shell so that no
// character of a file name is taken as a command. Returns the pipe's write end, or -1.
int StartFfmpeg(const std::vector<std::string>& args, pid_t* child) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        execvp("ffmpeg", argv.data());
        _exit(127);
    }
    close(fds[0]);
    *child = pid;
    return fds[1];
}

bool FinishFfmpeg(FILE* input, pid_t child) {
    fclose(input);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    int fps = 60, from = 0, to = 50000;
    std::string out;
    // The stand-in's main joins the arguments with single spaces.
    std::vector<std::string> args;
    for (char* t = strtok(commandLine, " "); t; t = strtok(nullptr, " "))
        args.push_back(t);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const char* { return i + 1 < args.size() ? args[++i].c_str() : ""; };
        if (a == "--help" || a == "-h") {
            fputs(kUsage, stdout);
            return 0;
        } else if (a == "--fps") {
            fps = atoi(value());
        } else if (a == "--from") {
            from = atoi(value());
        } else if (a == "--to") {
            to = atoi(value());
        } else if (a == "--out") {
            out = value();
        } else {
            fprintf(stderr, "quillmere-capture: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    if (fps <= 0 || fps > 1000 || from < 0 || to <= from || out.empty()) {
        fputs(kUsage, stderr);
        return 2;
    }
    const bool video = EndsWith(out, ".mp4") || EndsWith(out, ".mkv");
    const bool raw = out == "-";
    struct stat st;
    if (!video && !raw && (stat(out.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
        fprintf(stderr, "quillmere-capture: %s is not a folder (or a .mp4 or .mkv name)\n",
                out.c_str());
        return 2;
    }

    Win32SetClockHooks({Frequency, Counter, nullptr});
    FmodUseVirtualPosition(true);
    DemoApp app;
    try {
        app.CreateMainWindow("Kelvane", "Quillmere", instance);
        app.Initialize();
    } catch (const char* text) {
        fprintf(stderr, "quillmere-capture: %s\n", text);
        return 1;
    }
    IDirect3DSurface9 *target = nullptr, *copy = nullptr;
    app.device->GetRenderTarget(0, &target);
    D3DSURFACE_DESC desc{};
    target->GetDesc(&desc);
    app.device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_X8R8G8B8,
                                            D3DPOOL_SYSTEMMEM, &copy, nullptr);
    const int w = static_cast<int>(desc.Width), h = static_cast<int>(desc.Height);

    // The sound of every written frame, rendered exactly, ahead of the pictures.
    const std::string wavPath = raw ? "/dev/null" : video ? out + ".wav" : out + "/audio.wav";
    FILE* wav = fopen(wavPath.c_str(), "wb");
    if (!wav) {
        fprintf(stderr, "quillmere-capture: cannot write %s\n", wavPath.c_str());
        return 1;
    }
    const int64_t firstFrame = (int64_t(from) * fps + 999) / 1000;
    const int64_t endFrame = (int64_t(to) * fps + 999) / 1000;
    auto sampleAt = [&](int64_t k) { return k * 44100 / fps; };
    std::vector<short> samples;
    int64_t skip = sampleAt(firstFrame);
    while (skip > 0) {
        samples.resize(size_t(std::min<int64_t>(skip, 65536)) * 2);
        skip -= FmodRenderOffline(app.music, samples.data(), int(samples.size() / 2));
    }
    const uint32_t soundFrames = static_cast<uint32_t>(sampleAt(endFrame) - sampleAt(firstFrame));
    PutWavHeader(wav, soundFrames);
    for (int64_t k = firstFrame; k < endFrame; ++k) {
        const int n = int(sampleAt(k + 1) - sampleAt(k));
        samples.resize(size_t(n) * 2);
        FmodRenderOffline(app.music, samples.data(), n);
        fwrite(samples.data(), 4, size_t(n), wav);
    }
    fclose(wav);

    FILE* pipe = nullptr;
    pid_t ffmpeg = -1;
    if (video) {
        signal(SIGPIPE, SIG_IGN); // an ffmpeg that ends early is reported, not fatal
        const int fd = StartFfmpeg({"ffmpeg",    "-loglevel",
                                    "error",     "-y",
                                    "-f",        "rawvideo",
                                    "-pix_fmt",  "bgra",
                                    "-s",        std::to_string(w) + "x" + std::to_string(h),
                                    "-r",        std::to_string(fps),
                                    "-i",        "pipe:0",
                                    "-i",        wavPath,
                                    "-c:v",      "libx264",
                                    "-pix_fmt",  "yuv420p",
                                    "-c:a",      "aac",
                                    "-shortest", out},
                                   &ffmpeg);
        pipe = fd >= 0 ? fdopen(fd, "wb") : nullptr;
        if (!pipe) {
            fprintf(stderr, "quillmere-capture: cannot start ffmpeg\n");
            return 1;
        }
    }

    std::vector<uint32_t> frame(size_t(w) * h);
    const bool terminal = isatty(2);
    const auto start = std::chrono::steady_clock::now();
    AppTimer(TimerCommand::Start);
    for (int64_t k = 0; k < endFrame; ++k) {
        virtualTicks = k * 1000000 / fps + 1000000 / fps; // the timer's step: 1 / fps
        FmodSetVirtualPosition(static_cast<int>(k * 1000 / fps));
        app.Render();
        if (k < firstFrame) continue;
        app.device->GetRenderTargetData(target, copy);
        D3DLOCKED_RECT lr;
        copy->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        for (int y = 0; y < h; ++y)
            memcpy(&frame[size_t(y) * w], static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch,
                   size_t(w) * 4);
        copy->UnlockRect();
        if (pipe || raw) {
            fwrite(frame.data(), 4, frame.size(), raw ? stdout : pipe);
        } else {
            char name[32];
            snprintf(name, sizeof name, "/%06lld.png", static_cast<long long>(k));
            if (!WriteFramePng(out + name, frame, w, h)) {
                fprintf(stderr, "quillmere-capture: cannot write %s%s\n", out.c_str(), name);
                return 1;
            }
        }
        if (terminal) {
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const int64_t done = k - firstFrame + 1, total = endFrame - firstFrame;
            const double rate = done / std::max(elapsed, 1e-6);
            fprintf(stderr, "\rframe %lld of %lld, %.1f frames/s, %.0f s left   ",
                    static_cast<long long>(done), static_cast<long long>(total), rate,
                    (total - done) / rate);
        }
    }
    if (terminal) fputc('\n', stderr);
    copy->Release();
    target->Release();
    if (video) {
        const bool made = FinishFfmpeg(pipe, ffmpeg);
        remove(wavPath.c_str());
        if (!made) {
            fprintf(stderr, "quillmere-capture: ffmpeg failed (is it installed?)\n");
            return 1;
        }
    }
    FMUSIC_FreeSong(app.music);
    app.music = nullptr;
    return 0;
}
