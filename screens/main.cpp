// The program's entry: the SDL2 host, the game's window in the current directory, the loop.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "platform/sdl/SdlHost.h"
#include "screens/TFWords.h"

int main() {
    try {
        SdlHost host;
        TFWords form(host, std::filesystem::current_path());
        host.Run(form.GetWindow());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "timburik: %s\n", e.what());
        return 1;
    }
}
