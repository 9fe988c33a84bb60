#include "app/engine_log.h"
#include "app/app_framework.h"

#include <winpath.h>

#include <cstdio>

void AppendEngineLogEntry(const char* message, const std::tm& when) {
    FILE* file = OpenWindowsFile("Debug logs\\engine.log", "at");
    if (!file) return; // no folder, no log: the demo never creates it
    fprintf(file, "\n[%d-%02d-%02d %02d:%02d:%02d] - - - - - - - - - - - - - - - - - - - - -",
            when.tm_year + 1900, when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min,
            when.tm_sec);
    fprintf(file, "\nMessage: %s\n", message ? message : "");
    fclose(file);
}

HRESULT AppFramework::EngineLog(const char* message) {
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local) AppendEngineLogEntry(message, *local);
    return S_OK;
}
