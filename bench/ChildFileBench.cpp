// A child carried to another device: "Сохранить в файл" for a child with a record of about a
// megabyte (years of play) and ten family words with their pictures and the parent's voices,
// and "Добавить из файла" of that file on a device that has none of it, read and taken in.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "game/ChildFile.h"
#include "game/LearningRecord.h"
#include "platform/Files.h"
#include "platform/sdl/SdlParts.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/VoiceProcessing.h"
#include "tests/support/TempDir.h"

namespace {

const std::filesystem::path kData = TIMBURIK_DATA_DIR;

ChildFileChecks GameReaders() { return {BmpReadable, SoundBytesReadable}; }

std::function<std::uint32_t()> Counter() {
    return [n = std::uint32_t{1}]() mutable { return n++; };
}

std::string ReadAll(const std::filesystem::path& file) {
    std::string bytes;
    if (ReadWholeFile(file, bytes, 64u << 20) != 0) throw std::runtime_error("cannot read " + file.string());
    return bytes;
}

// A record of a child's play as the game writes it: sessions of words, each word's letters
// let go, right and wrong, until the record reaches the cap.
std::string YearsOfPlay() {
    const std::string words[] = {"КОТ", "ДОМ", "МАМА", "РЫБА", "ЛИСА", "ЗАЙКА", "МЕДВЕДЬ"};
    std::string text = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";
    std::time_t t = 1735700000;
    for (int n = 0; text.size() < LearningRecord::kCapBytes; ++n) {
        const std::string w = Cp(words[n % 7]);
        RecordEvent e;
        e.at = t += 30;
        e.kind = RecordEvent::Kind::Word;
        e.word = w;
        text += FormatRecordLine(e);
        for (std::size_t i = 0; i < w.size(); ++i) {
            e.at = t += 3;
            e.kind = RecordEvent::Kind::Drop;
            e.letter = e.cell = 1 + static_cast<int>((n + i) % 33);
            e.right = (n + i) % 5 != 0;
            text += FormatRecordLine(e);
        }
        e.kind = RecordEvent::Kind::Solved;
        e.at = t += 2;
        text += FormatRecordLine(e);
    }
    return text;
}

// Two seconds of a parent saying a word, as the corner keeps it: 16-bit mono at 44100 Hz.
std::string ParentVoice(int k) {
    std::vector<std::int16_t> s(88200);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(6000 * std::sin(i * (200.0 + 20 * k) * 6.2832 / 44100) *
                                         std::sin(i * 3.1416 / static_cast<double>(s.size())));
    return EncodeWav(s, 44100);
}

// The first device: the bundled word list, Оля with her record, ten family words each with
// one of the bundled pictures (as a photo made into a word's picture is, 200 x 200) and a voice.
struct Home {
    TempDir dir;
    ContentLocation content = ContentLocation::InFolder(dir.Path());
    ChildList list;
    int olya = 0;
    Home() {
        dir.Write("Words.str", ReadAll(kData / "Words.str"));
        list.children = ChildList::Default().children;
        list.Add(Cp("Оля"), 3, {}, Counter());
        olya = 2;
        list.Save(dir.Path());
        dir.Write("Child3.cnf", "120");
        dir.Write("Child3.log", YearsOfPlay());
        FamilyWords family;
        const char* words[] = {"МАМА", "ПАПА", "БАБА", "ДЕДА", "НЯНЯ", "ТЁТЯ", "ДЯДЯ", "КИСА", "ШАРИК", "МУРКА"};
        const char* pictures[] = {"ЁЖ", "ЁЛКА", "АВТОБУС", "АИСТ", "АНАНАС", "АПЕЛЬСИН", "АРБУЗ", "БАНАН", "БАРАБАН", "БЕЛКА"};
        const WordList bundled = LoadWordList(kData / "Words.str");
        int line = 25, five = 55;  // the lines of four-letter words, and of five
        for (int k = 0; k < 10; ++k) {
            FamilyWord w;
            w.word = Cp(words[k]);
            w.line = std::string(words[k]).size() == 10 ? five++ : line++;
            w.replaced = bundled.entries[static_cast<std::size_t>(w.line)];
            const std::filesystem::path picture = kData / "subjects" / PathFromUtf8(std::string(pictures[k]) + ".bmp");
            std::error_code ec;
            const std::string bmp = std::filesystem::exists(picture, ec) ? ReadAll(picture) : EncodeBmp(Picture(200, 200));
            if (AddFamilyWord(content, family, w, bmp) != 0) throw std::runtime_error("cannot add a family word");
            dir.Write(std::string("Голоса семьи/Words/") + words[k] + ".wav", ParentVoice(k));
        }
    }
};

void BM_SaveChildToFile(benchmark::State& state) {
    Home home;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const PackedFile p = PackChild(home.content, home.list, home.olya, true, Counter());
        if (p.err != 0) state.SkipWithError("packing failed");
        bytes = p.bytes.size();
        benchmark::DoNotOptimize(p.bytes.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
    state.counters["record_bytes"] = static_cast<double>(home.dir.Read("Child3.log").size());
}
BENCHMARK(BM_SaveChildToFile)->Unit(benchmark::kMillisecond);

void BM_AddChildFromFile(benchmark::State& state) {
    Home home;
    const PackedFile p = PackChild(home.content, home.list, home.olya, true, Counter());
    const ChildFileChecks checks = GameReaders();
    for (auto _ : state) {
        state.PauseTiming();
        {
            TempDir tablet;
            tablet.Write("Words.str", ReadAll(kData / "Words.str"));
            ContentLocation content = ContentLocation::InFolder(tablet.Path());
            ChildList list = ChildList::Load(tablet.Path());
            FamilyWords family;
            state.ResumeTiming();
            const ChildFileRead r = ReadChildFile(p.bytes, checks);
            const TakeResult t = TakeChildFile(content, list, family, r.bundle, {}, Counter());
            if (!r.problem.empty() || t.err != 0 || t.added.size() != 1 || family.words.size() != 10)
                state.SkipWithError("adding failed");
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["file_bytes"] = static_cast<double>(p.bytes.size());
}
BENCHMARK(BM_AddChildFromFile)->Unit(benchmark::kMillisecond);

}  // namespace
