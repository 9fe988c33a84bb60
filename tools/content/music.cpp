// "music.xm": an original piece of 52 s at 120 BPM, speed 6 (8 rows a second), in
// 16-row patterns of 2 s. Its form follows the timeline: a first section to 14 s,
// a livelier one to 30 s, a calm one, accents at 43, 45, 46.5 and 48 s, the end by 50 s.
#include "content.h"
#include "xm_writer.h"

namespace content {

namespace {

const float kPi = 3.14159265f;
const int kRate = 44100;
const double kC4 = 261.625565;

enum Instrument { Kick = 1, Snare, Hat, Bass, Pad, Bell, Crash, Pluck };
enum Channel { ChKick, ChSnare, ChHat, ChBass, ChPad1, ChPad2, ChPad3, ChLead };
const int kChannels = 8;

int16_t Clip(double v) {
    return static_cast<int16_t>(std::clamp(v, -1.0, 1.0) * 32000);
}

xm::Instrument Drum(const char* name, double seconds,
                    const std::function<double(double, Random&)>& f) {
    xm::Instrument ins;
    ins.name = name;
    uint64_t seed = 5381;
    for (const char* c = name; *c; ++c)
        seed = seed * 33 + static_cast<unsigned char>(*c);
    Random rnd(seed);
    int n = static_cast<int>(seconds * kRate);
    for (int i = 0; i < n; ++i)
        ins.sample.push_back(Clip(f(double(i) / kRate, rnd)));
    return ins;
}

// A looped tone sounding C-4, from harmonics with the given amplitudes.
xm::Instrument Tone(const char* name, const std::vector<double>& harmonics, double detune,
                    double seconds) {
    xm::Instrument ins;
    ins.name = name;
    const int n = static_cast<int>(seconds * kRate);
    // Whole cycles in the loop, so that it joins without a click.
    const int cycles = static_cast<int>(std::lround(kC4 * n / kRate));
    for (int i = 0; i < n; ++i) {
        double v = 0;
        for (int voice = -1; voice <= 1; ++voice) {
            double c = cycles + voice * detune;
            for (size_t h = 0; h < harmonics.size(); ++h)
                v += harmonics[h] * std::sin(2 * kPi * c * (h + 1) * i / n + voice);
        }
        ins.sample.push_back(Clip(v / (detune > 0 ? 3.0 : 1.0) * 0.9));
    }
    ins.loop = true;
    ins.loopStart = 0;
    ins.loopLength = n;
    return ins;
}

xm::Instrument Decaying(const char* name, const std::vector<double>& partials, double decay,
                        double seconds) {
    xm::Instrument ins;
    ins.name = name;
    const int n = static_cast<int>(seconds * kRate);
    for (int i = 0; i < n; ++i) {
        double t = double(i) / kRate, v = 0;
        for (size_t k = 0; k < partials.size(); k += 2)
            v += partials[k + 1] * std::sin(2 * kPi * kC4 * partials[k] * t);
        ins.sample.push_back(Clip(v * std::exp(-t * decay) * std::min(1.0, t * 400)));
    }
    return ins;
}

std::vector<xm::Instrument> Instruments() {
    std::vector<xm::Instrument> list;
    list.push_back(Drum("kick", 0.35, [](double t, Random&) {
        double phase = 2 * kPi * (45 * t + (150 - 45) / 30.0 * (1 - std::exp(-30 * t)));
        return std::sin(phase) * std::exp(-t * 9);
    }));
    list.push_back(Drum("snare", 0.25, [](double t, Random& r) {
        return (0.7 * (r.Uniform() * 2 - 1) + 0.4 * std::sin(2 * kPi * 190 * t)) *
               std::exp(-t * 18);
    }));
    double last = 0;
    list.push_back(Drum("hat", 0.07, [&last](double t, Random& r) {
        double n = r.Uniform() * 2 - 1, v = n - last;
        last = n;
        return 0.5 * v * std::exp(-t * 60);
    }));
    xm::Instrument bass = Tone("bass", {1.0, 0.5, 0.33, 0.25, 0.12, 0.06}, 0, 0.25);
    bass.volume = 56;
    bass.envelope = {{0, 64}, {6, 48}, {40, 36}};
    bass.fadeout = 1200;
    list.push_back(bass);
    xm::Instrument pad = Tone("pad", {1.0, 0.35, 0.2, 0.12, 0.08}, 1.0, 1.0);
    pad.volume = 30;
    pad.envelope = {{0, 0}, {28, 64}, {96, 46}};
    pad.fadeout = 700;
    list.push_back(pad);
    xm::Instrument bell = Decaying("bell", {1, 0.6, 2, 0.25, 3.01, 0.12, 4.2, 0.05}, 2.2, 2.0);
    bell.volume = 40;
    list.push_back(bell);
    list.push_back(Drum("crash", 2.0, [](double t, Random& r) {
        return 0.6 * (r.Uniform() * 2 - 1) * std::exp(-t * 2.2) * std::min(1.0, t * 800);
    }));
    xm::Instrument pluck = Decaying("pluck", {1, 0.6, 3, 0.2, 5, 0.1}, 9, 0.5);
    pluck.volume = 34;
    list.push_back(pluck);
    return list;
}

// Notes by name: "A3" and so on.
uint8_t Note(const char* n) {
    static const int semis[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int s = semis[n[0] - 'A'];
    int i = 1;
    if (n[i] == '#') ++s, ++i;
    int octave = n[i] - '0';
    return static_cast<uint8_t>(1 + octave * 12 + s);
}

struct Chord {
    const char* root;
    const char* notes[3];
};

class Song {
  public:
    Song() {
        module_.name = "Quillmere";
        module_.channels = kChannels;
        module_.speed = 6;
        module_.bpm = 120;
        module_.instruments = Instruments();
    }
    xm::Pattern& NewPattern() {
        xm::Pattern p;
        p.rows = 16;
        p.cells.resize(size_t(16) * kChannels);
        module_.order.push_back(static_cast<int>(module_.patterns.size()));
        module_.patterns.push_back(p);
        return module_.patterns.back();
    }
    static void Put(xm::Pattern& p, int row, int ch, uint8_t note, int ins, int vol = -1) {
        xm::Cell& c = p.at(row, ch, kChannels);
        c.note = note;
        c.instrument = static_cast<uint8_t>(ins);
        if (vol >= 0) c.volume = static_cast<uint8_t>(0x10 + std::clamp(vol, 0, 64));
    }
    static void Pad(xm::Pattern& p, const Chord& c, int vol = 48) {
        for (int k = 0; k < 3; ++k)
            Put(p, 0, ChPad1 + k, Note(c.notes[k]), Instrument::Pad, vol);
    }
    static void Release(xm::Pattern& p, int row) {
        for (int ch = 0; ch < kChannels; ++ch)
            p.at(row, ch, kChannels).note = 97; // key off
    }
    xm::Pattern& PatternAt(int i) { return module_.patterns[static_cast<size_t>(i)]; }
    std::vector<uint8_t> Bytes() const { return xm::Write(module_); }

  private:
    xm::Module module_;
};

} // namespace

bool WriteMusic(const std::string& root) {
    Song song;
    const Chord Am{"A2", {"A3", "C4", "E4"}}, F{"F2", {"F3", "A3", "C4"}},
        C{"C3", {"G3", "C4", "E4"}}, G{"G2", {"G3", "B3", "D4"}}, E{"E2", {"E3", "G#3", "B3"}},
        Dm{"D3", {"F3", "A3", "D4"}};

    // 0-14 s: the room. Pads, a slow bass, drums from the third pattern, a bell melody.
    const Chord first[7] = {Am, F, C, G, Am, F, E};
    const char* melody[7][4] = {{nullptr, nullptr, nullptr, nullptr},
                                {nullptr, nullptr, nullptr, nullptr},
                                {"E5", "D5", "C5", "B4"},
                                {"D5", nullptr, "B4", "G4"},
                                {"C5", "E5", "A5", "E5"},
                                {"F5", "E5", "C5", "A4"},
                                {"B4", nullptr, "G#4", "E4"}};
    for (int i = 0; i < 7; ++i) {
        xm::Pattern& p = song.NewPattern();
        Song::Pad(p, first[i]);
        Song::Put(p, 0, ChBass, Note(first[i].root), Bass, 56);
        Song::Put(p, 8, ChBass, Note(first[i].root), Bass, 44);
        if (i >= 2) {
            for (int r : {0, 8})
                Song::Put(p, r, ChKick, 49, Kick, 52);
            for (int r = 2; r < 16; r += 4)
                Song::Put(p, r, ChHat, 49, Hat, 28);
        }
        for (int k = 0; k < 4; ++k)
            if (melody[i][k]) Song::Put(p, k * 4, ChLead, Note(melody[i][k]), Bell, 44);
    }
    // 14-30 s: the pictures. Quicker drums and a plucked arpeggio that flickers.
    const Chord second[8] = {Dm, Am, F, E, Dm, Am, F, E};
    for (int i = 0; i < 8; ++i) {
        xm::Pattern& p = song.NewPattern();
        Song::Pad(p, second[i], 36);
        for (int r = 0; r < 16; r += 4)
            Song::Put(p, r, ChKick, 49, Kick, 60);
        for (int r : {4, 12})
            Song::Put(p, r, ChSnare, 49, Snare, 48);
        for (int r = 0; r < 16; r += 2)
            Song::Put(p, r, ChHat, 49, Hat, r % 4 ? 22 : 34);
        for (int r = 0; r < 16; r += 2)
            Song::Put(p, r, ChBass, Note(second[i].root), Bass, r % 4 ? 40 : 54);
        for (int r = 0; r < 16; ++r) {
            uint8_t n = Note(second[i].notes[r % 3]) + 12 + (r % 6 >= 3 ? 12 : 0);
            Song::Put(p, r, ChLead, n, Pluck, r % 4 ? 30 : 42);
        }
    }
    // 30-43 s: the letter. Calm pads and a slow bell line, no drums.
    const Chord third[7] = {F, C, Dm, Am, F, G, Am};
    const char* line[7][2] = {{"A4", "C5"}, {"E5", "D5"}, {"F5", "D5"},   {"C5", "E5"},
                              {"A4", "F4"}, {"G4", "B4"}, {"A4", nullptr}};
    for (int i = 0; i < 7; ++i) {
        xm::Pattern& p = song.NewPattern();
        Song::Pad(p, third[i], 44);
        Song::Put(p, 0, ChBass, Note(third[i].root), Bass, 40);
        for (int k = 0; k < 2; ++k)
            if (line[i][k]) Song::Put(p, k * 8, ChLead, Note(line[i][k]), Bell, 40);
        if (i == 6) Song::Release(p, 6); // the letter ends before the first accent
    }
    // The accents as the cards appear: 43 s (row 8 of pattern 21), 45 s, 46.5 s, 48 s;
    // the last chord has faded by 50 s and the module ends in silence at 52 s.
    for (int i = 22; i <= 25; ++i)
        song.NewPattern();
    struct Accent {
        int pattern, row;
        Chord chord;
    };
    const Accent accents[] = {{21, 8, Am}, {22, 8, F}, {23, 4, G}, {24, 0, Am}};
    for (const Accent& a : accents) {
        xm::Pattern& p = song.PatternAt(a.pattern);
        Song::Put(p, a.row, ChKick, 49, Kick, 64);
        Song::Put(p, a.row, ChSnare, 49, Crash, 50);
        Song::Put(p, a.row, ChBass, Note(a.chord.root), Bass, 60);
        for (int k = 0; k < 3; ++k)
            Song::Put(p, a.row, ChPad1 + k, Note(a.chord.notes[k]), Instrument::Pad, 50);
        Song::Put(p, a.row, ChLead, Note(a.chord.notes[2]) + 12, Bell, 48);
        if (a.pattern < 24) Song::Release(p, a.row + 4 < 16 ? a.row + 4 : 15);
    }
    Song::Release(song.PatternAt(24), 10);
    std::vector<uint8_t> bytes = song.Bytes();
    return WriteBytes(root + "/music.xm", bytes);
}

} // namespace content
