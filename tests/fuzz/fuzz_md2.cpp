// The MD2 reader on arbitrary bytes.
#include "../../bench/null_device.h"
#include "models/md2_model.h"
#include "support/fixtures.h"

#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NullDevice* device = new NullDevice;
    static const std::string dir = [] {
        char pattern[] = "/tmp/quillmere-fuzz-XXXXXX";
        std::string d = mkdtemp(pattern);
        TempDir::Write(d + "/skin.bmp", TestBmp(2, 2, std::vector<uint32_t>(4, 0xFF808080)));
        return d;
    }();
    const std::string model = dir + "/model.md2";
    FILE* f = fopen(model.c_str(), "wb");
    if (!f) return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    Md2Model m(device);
    if (m.Load(model.c_str(), (dir + "/skin.bmp").c_str()) == 1) {
        for (int i = 0; i < 4; ++i)
            m.Play(0.7f);
    }
    m.Destroy();
    return 0;
}
