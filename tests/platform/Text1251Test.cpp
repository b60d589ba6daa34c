// Code page 1251 round trips, the UTF-8 validity check, and the error texts.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/Errors.h"
#include "platform/Text1251.h"

TEST(Text1251, RussianLettersRoundTrip) {
    const std::string cp = Cp("ЁЖИК ёж АЯ");
    EXPECT_EQ(cp, std::string("\xA8\xC6\xC8\xCA \xB8\xE6 \xC0\xDF"));
    EXPECT_EQ(Cp1251ToUtf8(cp), "ЁЖИК ёж АЯ");
    // Every byte has a meaning in the code page except 0x98, which stays unmapped.
    std::string all;
    for (int c = 1; c < 256; ++c)
        if (c != 0x98) all += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Text1251, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(Utf8ToCp1251("кот 🐱 ü"), Cp("кот ") + "? ?");
    EXPECT_EQ(Utf8ToCp1251("a\xFF" "b"), "a?b");  // invalid UTF-8 does not stop the text
}

TEST(Text1251, Utf8Validity) {
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("КОТ ЁЖ 🐱"));
    EXPECT_FALSE(IsValidUtf8(Cp("КОТ")));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xD0"));              // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

TEST(ErrorTexts, ReadingAndWritingFailuresUseTheRuntimeWords) {
    EXPECT_EQ(ReadErrorText(ENOENT), "File not found");
    EXPECT_EQ(ReadErrorText(ENOTDIR), "Invalid filename");
    EXPECT_EQ(ReadErrorText(ENAMETOOLONG), "Invalid filename");
    EXPECT_EQ(ReadErrorText(EMFILE), "Too many open files");
    EXPECT_EQ(ReadErrorText(EACCES), "File access denied");
    EXPECT_EQ(ReadErrorText(EISDIR), "File access denied");
    EXPECT_EQ(ReadErrorText(EIO), "I/O error 5");
    EXPECT_EQ(WriteErrorText(EROFS), "File access denied");
    EXPECT_EQ(WriteErrorText(ENOSPC), "Disk full");
    EXPECT_EQ(WriteErrorText(EDQUOT), "Disk full");
    EXPECT_EQ(WriteErrorText(EIO), "I/O error 5");
}
