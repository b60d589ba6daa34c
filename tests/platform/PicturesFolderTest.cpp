// The newest of a parent's photos, in the Pictures folder and the folders in it.
#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/PicturesFolder.h"
#include "tests/support/TempDir.h"

TEST(PicturesFolder, TheNewestPhotosTwoLevelsDownNewestFirst) {
    TempDir dir;
    const auto now = std::filesystem::file_time_type::clock::now();
    int age = 0;
    auto photo = [&](const std::string& name) {
        const std::filesystem::path p = dir.Write(name, "x");
        std::filesystem::last_write_time(p, now - std::chrono::hours(++age));
        return p;
    };
    const auto camera = photo("Альбом камеры/IMG_2001.JPG");  // the newest, a folder down
    const auto day = photo("2026/12-09/day.jpeg");            // two down
    const auto top = photo("top.png");
    photo("2026/12-09/deeper/too deep.jpg");
    photo(".thumbnails/hidden.jpg");
    photo("notes.txt");
    const auto old = photo("old.bmp");
    EXPECT_EQ(NewestPictures(dir.Path(), 10), (std::vector<std::filesystem::path>{camera, day, top, old}));
    EXPECT_EQ(NewestPictures(dir.Path(), 2), (std::vector<std::filesystem::path>{camera, day}));
    EXPECT_EQ(NewestPictures(dir.Path(), 10, 0), (std::vector<std::filesystem::path>{top, old}));
    EXPECT_TRUE(NewestPictures(dir.Path() / "missing", 10).empty());
    EXPECT_TRUE(NewestPictures({}, 10).empty());
}
