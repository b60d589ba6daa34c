#include "tests/support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <random>
#include <stdexcept>

#include "platform/Files.h"

TempDir::TempDir() {
    // A fresh name made by hand rather than by mkdtemp, which Windows lacks.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "timburik-test-%08x", static_cast<unsigned>(random()));
        if (std::filesystem::create_directory(base / name)) {
            path_ = base / name;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable so they can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(const std::string& relative, std::string_view bytes) const {
    std::filesystem::path file = path_ / PathFromUtf8(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write test file " + relative);
    return file;
}

std::string TempDir::Read(const std::string& relative) const {
    std::ifstream in(path_ / PathFromUtf8(relative), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::Exists(const std::string& relative) const { return std::filesystem::exists(path_ / PathFromUtf8(relative)); }

void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, unsigned v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string EncodeBmp24(const Picture& picture) {
    const int w = picture.Width(), h = picture.Height();
    const int stride = (w * 3 + 3) & ~3;
    std::string s;
    s += "BM";
    Put32(s, 54 + stride * h);
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, static_cast<unsigned>(w));
    Put32(s, static_cast<unsigned>(h));
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);
    Put32(s, static_cast<unsigned>(stride * h));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = picture.At(x, y);
            s += static_cast<char>(p & 0xFF);
            s += static_cast<char>((p >> 8) & 0xFF);
            s += static_cast<char>((p >> 16) & 0xFF);
        }
        s.append(static_cast<std::size_t>(stride - w * 3), '\0');
    }
    return s;
}

Picture SolidPicture(int width, int height, TColor colour) { return Picture(width, height, ColorToPixel(colour)); }
