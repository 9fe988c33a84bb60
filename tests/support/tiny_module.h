// A small module written by the tests: `rows` rows of one instrument's note.
#pragma once
#include "xm_writer.h"

#include <cmath>

inline std::vector<uint8_t> TinyModule(int rows, int speed = 3, int bpm = 125) {
    xm::Module m;
    m.name = "tiny";
    m.channels = 2;
    m.speed = speed;
    m.bpm = bpm;
    m.order = {0};
    xm::Pattern p;
    p.rows = rows;
    p.cells.resize(static_cast<size_t>(rows) * m.channels);
    p.at(0, 0, m.channels) = xm::Cell{49, 1, 0, 0, 0};
    m.patterns.push_back(p);
    xm::Instrument beep;
    beep.name = "beep";
    beep.sampleRate = 44100;
    for (int i = 0; i < 4410; ++i)
        beep.sample.push_back(static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / 44100)));
    m.instruments.push_back(beep);
    return xm::Write(m);
}
