// A file another program holds open, as a spreadsheet holds the record it shows: the write is
// refused, the old file stays whole, and the corner tells the parent to close that program.
#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef ReplaceFile  // windows.h's macro would take the place of ours

#include "game/WriteProblems.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

TEST(LockedFile, AnExportOpenInASpreadsheetIsSaidSoAndKept) {
    TempDir dir;
    const std::filesystem::path csv = dir.Write("Тимбурик - Девочка.csv", "old");
    // Opened as Excel opens a CSV: for reading and writing, shared with nobody.
    const HANDLE held = ::CreateFileW(csv.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const int err = ReplaceFile(csv, "new");
    ::CloseHandle(held);
    ASSERT_NE(err, 0);
    EXPECT_EQ(dir.Read("Тимбурик - Девочка.csv"), "old");
    EXPECT_EQ(WriteProblem(err, csv),
              Cp("Файл «Тимбурик - Девочка.csv» открыт в другой программе: закройте его и нажмите ещё раз."));
    EXPECT_EQ(ReplaceFile(csv, "new"), 0);  // closed, it is written at the next press
}
