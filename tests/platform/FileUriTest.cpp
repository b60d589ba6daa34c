// The file:// addresses a desktop's chooser answers with, made into the paths the game opens:
// Cyrillic names escaped byte by byte, spaces, this machine named or not; and the addresses
// that name no file here.
#include <gtest/gtest.h>

#include "platform/PictureChooser.h"

TEST(FileUri, ThePathAChoosersAddressNames) {
    struct Case {
        const char* uri;
        const char* path;  // "" for none
    };
    const Case cases[] = {
        {"file:///home/anna/cat.jpg", "/home/anna/cat.jpg"},
        // GLib escapes each byte of a UTF-8 name: "Фото семьи/Кот.JPG".
        {"file:///home/anna/%D0%A4%D0%BE%D1%82%D0%BE%20%D1%81%D0%B5%D0%BC%D1%8C%D0%B8/%D0%9A%D0%BE%D1%82.JPG",
         "/home/anna/Фото семьи/Кот.JPG"},
        {"file:///home/anna/%d0%81%d0%b6.png", "/home/anna/Ёж.png"},  // lower-case hex digits
        {"file:///home/anna/Ёж.png", "/home/anna/Ёж.png"},            // not escaped at all (KDE may)
        {"file:///a/100%25%20sure.bmp", "/a/100% sure.bmp"},
        {"file:///a/%2B+%26.bmp", "/a/++&.bmp"},
        {"file://localhost/a/b.jpg", "/a/b.jpg"},
        {"FILE://LocalHost/a/b.jpg", "/a/b.jpg"},
        {"file:/a/b.jpg", "/a/b.jpg"},
        // Another machine's file, or no file at all.
        {"file://server/share/a.jpg", ""},
        {"sftp://server/a.jpg", ""},
        {"https://example.org/a.jpg", ""},
        {"/home/anna/a.jpg", ""},
        {"file://", ""},
        {"file:a.jpg", ""},
        {"", ""},
        // Escapes that are broken, or would name another file than the chooser showed.
        {"file:///a/b%2", ""},
        {"file:///a/b%", ""},
        {"file:///a/b%zz.jpg", ""},
        {"file:///a/b%00.jpg", ""},
        {"file:///a/..%2Fetc%2Fpasswd", ""},
        {"file:///a/b.jpg?x=1", ""},
        {"file:///a/b.jpg#top", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(PathOfFileUri(c.uri), c.path) << c.uri;
}
