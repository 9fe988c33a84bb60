#include "xm_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace xm {
namespace {

struct Out {
    std::vector<uint8_t> bytes;
    void u8(int v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(int v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(static_cast<int>(v & 0xFFFF));
        u16(static_cast<int>(v >> 16));
    }
    void text(const std::string& s, size_t n) {
        for (size_t i = 0; i < n; ++i)
            u8(i < s.size() ? s[i] : 0);
    }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

std::vector<uint8_t> PackPattern(const Pattern& p, int channels) {
    Out o;
    for (int r = 0; r < p.rows; ++r) {
        for (int c = 0; c < channels; ++c) {
            const Cell& cell = p.cells[r * channels + c];
            int mask = 0x80;
            if (cell.note) mask |= 1;
            if (cell.instrument) mask |= 2;
            if (cell.volume) mask |= 4;
            if (cell.effect) mask |= 8;
            if (cell.param) mask |= 16;
            o.u8(mask);
            if (cell.note) o.u8(cell.note);
            if (cell.instrument) o.u8(cell.instrument);
            if (cell.volume) o.u8(cell.volume);
            if (cell.effect) o.u8(cell.effect);
            if (cell.param) o.u8(cell.param);
        }
    }
    return o.bytes;
}

} // namespace

std::vector<uint8_t> Write(const Module& m) {
    Out o;
    o.text("Extended Module: ", 17);
    o.text(m.name, 20);
    o.u8(0x1A);
    o.text("Quillmere generator", 20);
    o.u16(0x0104);
    o.u32(276);
    o.u16(static_cast<int>(m.order.size()));
    o.u16(0); // restart position
    o.u16(m.channels);
    o.u16(static_cast<int>(m.patterns.size()));
    o.u16(static_cast<int>(m.instruments.size()));
    o.u16(1); // linear frequency table
    o.u16(m.speed);
    o.u16(m.bpm);
    for (int i = 0; i < 256; ++i)
        o.u8(i < static_cast<int>(m.order.size()) ? m.order[i] : 0);

    for (const Pattern& p : m.patterns) {
        std::vector<uint8_t> packed = PackPattern(p, m.channels);
        o.u32(9);
        o.u8(0);
        o.u16(p.rows);
        o.u16(static_cast<int>(packed.size()));
        o.bytes.insert(o.bytes.end(), packed.begin(), packed.end());
    }

    for (const Instrument& ins : m.instruments) {
        const bool hasSample = !ins.sample.empty();
        o.u32(hasSample ? 263 : 29);
        o.text(ins.name, 22);
        o.u8(0);
        o.u16(hasSample ? 1 : 0);
        if (!hasSample) continue;
        o.u32(40);   // sample header size
        o.zeros(96); // every note plays sample 0
        int points = static_cast<int>(std::min<size_t>(ins.envelope.size(), 12));
        for (int i = 0; i < 12; ++i) {
            o.u16(i < points ? ins.envelope[i].first : 0);
            o.u16(i < points ? ins.envelope[i].second : 0);
        }
        o.zeros(48); // panning envelope
        o.u8(points);
        o.u8(0);
        o.u8(0); // volume sustain point
        o.u8(0);
        o.u8(0);
        o.u8(0);
        o.u8(0);
        o.u8(0);
        o.u8(points > 0 ? 1 : 0); // volume envelope on
        o.u8(0);
        o.u8(0); // vibrato
        o.u8(0);
        o.u8(0);
        o.u8(0);
        o.u16(ins.fadeout);
        o.zeros(22);

        // Pitch: the sample sounds as C-4 at 8363 Hz with relative note 0.
        double semis = 12.0 * std::log2(ins.sampleRate / 8363.0);
        int relative = static_cast<int>(std::floor(semis));
        int finetune = static_cast<int>(std::lround((semis - relative) * 128.0));
        if (finetune > 127) {
            finetune -= 128;
            ++relative;
        }
        const uint32_t frames = static_cast<uint32_t>(ins.sample.size());
        o.u32(frames * 2);
        o.u32(ins.loop ? static_cast<uint32_t>(ins.loopStart) * 2 : 0);
        o.u32(ins.loop ? static_cast<uint32_t>(ins.loopLength) * 2 : 0);
        o.u8(std::clamp(ins.volume, 0, 64));
        o.u8(static_cast<uint8_t>(static_cast<int8_t>(finetune)));
        o.u8((ins.loop ? 1 : 0) | 0x10); // 16-bit
        o.u8(std::clamp(ins.panning, 0, 255));
        o.u8(static_cast<uint8_t>(static_cast<int8_t>(relative)));
        o.u8(0);
        o.text(ins.name, 22);
        int16_t previous = 0; // sample data is stored as deltas
        for (int16_t s : ins.sample) {
            o.u16(static_cast<uint16_t>(static_cast<int16_t>(s - previous)));
            previous = s;
        }
    }
    return o.bytes;
}

} // namespace xm
