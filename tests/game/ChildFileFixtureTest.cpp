// The child's file the browser's tests take in from the file picker and the Windows build's
// take in under Wine: made by the Linux build from a device of its own, and kept in
// tests/data. Here it is checked to hold what this build makes of that device, and to come
// into another device whole. TIMBURIK_WRITE_CHILD_FILE=<path> writes it anew.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/ChildFile.h"
#include "game/LearningRecord.h"
#include "platform/Files.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/Content.h"
#include "tests/support/TempDir.h"

#ifndef TIMBURIK_TEST_DATA_DIR
#error "TIMBURIK_TEST_DATA_DIR must name tests/data"
#endif

namespace {

const std::filesystem::path kFile = std::filesystem::path(TIMBURIK_TEST_DATA_DIR) / PathFromUtf8("Тимбурик - Оля.timburik");
constexpr TColor kFoxColour = 0xA028C8;

// Pictures as the game reads them; no recording is in this file.
ChildFileChecks Readers() { return {BmpReadable, [](std::string_view) { return false; }}; }

std::string Solved(int minute) {
    RecordEvent e;
    e.kind = RecordEvent::Kind::Solved;
    e.word = Cp("КОТ");
    e.at = 1796119200 + minute * 60;  // 2026-12-01, in the morning
    return FormatRecordLine(e);
}

// Оля on a device of КОТ words, as the browser's test content has them: portrait 3, seven
// words solved, a record of three solved words, and the family word ЛИС in КОТ's place.
PackedFile MakeOlya(const TempDir& device) {
    WriteContent(device, Repeat("КОТ"));
    const ContentLocation content = ContentLocation::InFolder(device.Path());
    ChildList list = ChildList::Load(device.Path());
    std::uint32_t n = 7;
    const std::function<std::uint32_t()> random = [&n] { return n++; };
    list.Add(Cp("Оля"), 3, {}, random);
    EXPECT_EQ(list.Save(device.Path()), 0);
    device.Write("Child3.cnf", "7");
    device.Write("Child3.log", std::string("время\tсобытие\tслово\tбуква\tклетка\tверно\n") + Solved(0) + Solved(1) + Solved(2));
    FamilyWords family;
    FamilyWord fox;
    fox.word = Cp("ЛИС");
    fox.line = 1;
    fox.replaced = Cp("КОТ");
    EXPECT_EQ(AddFamilyWord(content, family, fox, EncodeBmp24(SolidPicture(200, 200, kFoxColour))), 0);
    return PackChild(content, list, 2, true, random);
}

TEST(ChildFileMadeHere, TheKeptFileHoldsWhatThisBuildMakesAndComesIntoAnotherDeviceWhole) {
    TempDir device;
    const PackedFile made = MakeOlya(device);
    ASSERT_EQ(made.err, 0);
    if (const char* to = std::getenv("TIMBURIK_WRITE_CHILD_FILE")) {
        ASSERT_EQ(ReplaceFile(to, made.bytes), 0);
    }

    const ChildFileRead mine = ReadChildFile(made.bytes, Readers());
    const ChildFileRead kept = ReadChildFileFrom(kFile, Readers());
    ASSERT_EQ(mine.problem, "");
    ASSERT_EQ(kept.problem, "") << Cp1251ToUtf8(kept.problem);
    ASSERT_EQ(kept.bundle.children.size(), 1u);
    const BundleChild& a = mine.bundle.children[0];
    const BundleChild& b = kept.bundle.children[0];
    EXPECT_EQ(std::tie(a.id, a.name, a.portrait, a.progressFile, a.progress, a.record),
              std::tie(b.id, b.name, b.portrait, b.progressFile, b.progress, b.record));
    ASSERT_EQ(kept.bundle.words.size(), 1u);
    EXPECT_EQ(kept.bundle.words[0].word.word, Cp("ЛИС"));
    EXPECT_EQ(kept.bundle.words[0].picture, mine.bundle.words[0].picture);

    // Into a device of its own girl and boy: Оля is the third child, with all she had.
    TempDir other;
    WriteContent(other, Repeat("КОТ"));
    const ContentLocation content = ContentLocation::InFolder(other.Path());
    ChildList list = ChildList::Load(other.Path());
    FamilyWords family;
    std::uint32_t n = 100;
    const TakeResult taken = TakeChildFile(content, list, family, kept.bundle, {}, [&n] { return n++; });
    ASSERT_EQ(taken.err, 0);
    ASSERT_EQ(taken.added, std::vector<std::string>{Cp("Оля")});
    const ChildList listed = ChildList::Load(other.Path());
    ASSERT_EQ(listed.children.size(), 3u);
    EXPECT_EQ(listed.children[2].id, b.id);
    EXPECT_EQ(other.Read(listed.children[2].progressFile), "7");
    EXPECT_EQ(other.Read(listed.children[2].RecordFile()), b.record);
    const FamilyWords arrived = FamilyWords::Load(content.FamilyNote());
    ASSERT_NE(arrived.Find(Cp("ЛИС")), nullptr);
    EXPECT_EQ(arrived.Find(Cp("ЛИС"))->line, 1);
    const Picture picture = LoadBmpFile(content.FamilyPicture(Cp("ЛИС")));
    EXPECT_EQ(picture.ColorAt(100, 100), kFoxColour);
}

}  // namespace
