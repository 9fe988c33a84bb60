#include "app/engine_log.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {
std::tm At(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}
const char* kDashes = " - - - - - - - - - - - - - - - - - - - - -";
} // namespace

TEST(EngineLog, TwoEntriesInTheExactFormatOldestFirst) {
    TempDir dir;
    std::filesystem::create_directories("Debug logs");
    AppendEngineLogEntry("failed to create device", At(2004, 3, 5, 14, 7, 9));
    AppendEngineLogEntry("SwitchDisplayMode() failed.", At(987, 1, 31, 0, 0, 0));
    std::string expected = std::string("\n[2004-03-05 14:07:09]") + kDashes +
                           "\nMessage: failed to create device\n" + "\n[987-01-31 00:00:00]" +
                           kDashes + "\nMessage: SwitchDisplayMode() failed.\n";
    EXPECT_EQ(TempDir::Read("Debug logs/engine.log"), expected);
}

TEST(EngineLog, FolderMatchedWithoutRegardToCase) {
    TempDir dir;
    std::filesystem::create_directories("debug logs");
    AppendEngineLogEntry("failed to get displaymode", At(2026, 12, 11, 9, 5, 3));
    EXPECT_NE(TempDir::Read("debug logs/engine.log").find("Message: failed to get displaymode"),
              std::string::npos);
}

TEST(EngineLog, WithoutTheFolderNothingIsCreated) {
    TempDir dir;
    AppendEngineLogEntry("failed to create device", At(2026, 1, 1, 1, 1, 1));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
