// The start-up code of a Windows program: main() hands over to WinMain.
#include <windows.h>

#include <malloc.h>

#include <string>

int main(int argc, char** argv) {
    // Large blocks freed while loading (decoded pictures, level images, locked levels) stay
    // in the heap for the next load instead of going back to the system: every texture
    // would otherwise touch fresh pages again, which costs more than the work on them.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
