// A parent's photos of 38 megapixels (a current phone's largest) on their way into a word's
// picture: the picture screen opened on six of them in the Pictures folder, the window's share
// and the worker's until the last thumbnail; and one photo made into the word's picture.
#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Text1251.h"
#include "screens/TFWords.h"
#include "tests/support/HeadlessHost.h"

namespace {

constexpr int kPhotoWidth = 7552, kPhotoHeight = 5032;  // 38 megapixels, 3:2

// A photo-like picture (smooth colours with fine detail, so that it compresses as a photo
// does, some 10 MB) written through libjpeg at a camera's quality.
std::string CameraJpeg(int seed) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kPhotoWidth;
    c.image_height = kPhotoHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(kPhotoWidth * 3);
    unsigned noise = static_cast<unsigned>(seed) * 2654435761u;
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < kPhotoWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>((noise >> 16) & 31);
            row[3 * x] = static_cast<unsigned char>((x / 30 + seed * 40 + n) & 255);
            row[3 * x + 1] = static_cast<unsigned char>((y / 20 + n) & 255);
            row[3 * x + 2] = static_cast<unsigned char>(((x + y) / 50 + n) & 255);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::string file(reinterpret_cast<char*>(out), size);
    std::free(out);
    jpeg_destroy_compress(&c);
    return file;
}

// A home with six such photos in its Pictures folder, made once for all the benchmarks.
const std::filesystem::path& Home() {
    static const std::filesystem::path home = [] {
        const std::filesystem::path h = std::filesystem::temp_directory_path() / "timburik-bench-photos";
        const std::filesystem::path pictures = h / "Pictures" / PathFromUtf8("Альбом камеры");
        MakePrivateFolder(pictures);
        for (int i = 1; i <= 6; ++i) {
            const std::filesystem::path f = pictures / ("IMG_" + std::to_string(i) + ".jpg");
            if (!std::filesystem::exists(f)) ReplaceFile(f, CameraJpeg(i));
        }
        setenv("HOME", h.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (h / "config").c_str(), 1);
        return h;
    }();
    return home;
}

struct PictureScreenOpen {
    HeadlessHost host;
    std::unique_ptr<TFWords> form;
    explicit PictureScreenOpen(bool deferred) {
        Home();
        host.deferBackground = deferred;
        form = std::make_unique<TFWords>(host, ContentLocation::InFolder(TIMBURIK_DATA_DIR));
    }
    CornerStep Step() const {
        CornerStep s = CornerStep::Go(CornerStep::To::Picture);
        s.word = Cp("МАМА");
        s.newWord = true;
        return s;
    }
};

// The window's share of opening the screen, from the family's words: all it does before it
// answers again, the frame that shows the screen included.
void BM_PictureScreenOpenWindow(benchmark::State& state) {
    PictureScreenOpen s(true);
    ParentsCorner& corner = s.form->corner;
    corner.Go(CornerStep::Go(CornerStep::To::FamilyWords));
    for (auto _ : state) {
        corner.Go(s.Step());  // the screen's controls, its page painted, the frame composed
        benchmark::DoNotOptimize(s.form->GetWindow().ComposeFrame().Pixels().data());
        state.PauseTiming();
        corner.Go(CornerStep::Go(CornerStep::To::FamilyWords));
        s.host.background.clear();  // the worker's part is the next benchmark's
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PictureScreenOpenWindow)->Unit(benchmark::kMillisecond);

// From the screen opened until its last thumbnail is made (the worker's time, run here).
void BM_PictureScreenAllThumbnails(benchmark::State& state) {
    PictureScreenOpen s(false);
    for (auto _ : state) {
        s.form->corner.picture.Enter(s.Step());
        if (s.form->corner.picture.ThumbnailsMade() != 6) state.SkipWithError("not six thumbnails");
        state.PauseTiming();
        s.form->corner.picture.Leave();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PictureScreenAllThumbnails)->Unit(benchmark::kMillisecond)->Iterations(3);

// One photo chosen: read at the size the crop needs, cut, scaled, written as the game's BMP.
void BM_WordPictureFrom38MPPhoto(benchmark::State& state) {
    const std::filesystem::path photo = Home() / "Pictures" / PathFromUtf8("Альбом камеры") / "IMG_1.jpg";
    for (auto _ : state) {
        const Picture p = LoadImportedPicture(photo, 1200);
        benchmark::DoNotOptimize(EncodeBmp(MakeSubjectPicture(p, FirstCrop(p.Width(), p.Height()))));
    }
}
BENCHMARK(BM_WordPictureFrom38MPPhoto)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same photo read whole, as the corner read every photo before: for comparison.
void BM_WordPictureFrom38MPPhotoReadWhole(benchmark::State& state) {
    const std::filesystem::path photo = Home() / "Pictures" / PathFromUtf8("Альбом камеры") / "IMG_1.jpg";
    for (auto _ : state) {
        const Picture p = LoadImportedPicture(photo);
        benchmark::DoNotOptimize(EncodeBmp(MakeSubjectPicture(p, FirstCrop(p.Width(), p.Height()))));
    }
}
BENCHMARK(BM_WordPictureFrom38MPPhotoReadWhole)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
