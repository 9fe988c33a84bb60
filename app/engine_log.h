#pragma once
#include <ctime>

// Appends one entry stamped with `when` to "Debug logs\engine.log", only if the
// folder exists. EngineLog passes the local time of the call.
void AppendEngineLogEntry(const char* message, const std::tm& when);
