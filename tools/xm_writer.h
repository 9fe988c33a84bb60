// A writer of FastTracker 2 modules (.xm): patterns, instruments with one sample each.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

struct Cell {
    uint8_t note = 0;       // 1..96 (C-0 = 1), 97 key off, 0 none
    uint8_t instrument = 0; // 1-based, 0 none
    uint8_t volume = 0;     // volume column (0x10..0x50 set volume), 0 none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells; // rows x channels, row by row
    Cell& at(int row, int channel, int channels) { return cells[row * channels + channel]; }
};

struct Instrument {
    std::string name;
    std::vector<int16_t> sample; // 16-bit mono
    int sampleRate = 44100;      // the rate at which `sample` sounds as C-4
    int volume = 64;
    int panning = 128;
    bool loop = false;
    int loopStart = 0;
    int loopLength = 0;
    // Volume envelope points (tick, value 0..64); empty = none.
    std::vector<std::pair<int, int>> envelope;
    int fadeout = 0;
};

struct Module {
    std::string name;
    int channels = 8;
    int speed = 6; // ticks per row
    int bpm = 125;
    std::vector<int> order;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

std::vector<uint8_t> Write(const Module& module);

} // namespace xm
