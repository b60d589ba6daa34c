// The program's entry: the command line, where content and progress live, the SDL2 host, the
// game's window, the loop.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <system_error>

#include "game/ContentLocation.h"
#include "platform/Files.h"
#include "platform/Heap.h"
#include "platform/InstanceLock.h"
#include "platform/toolkit/Text1251.h"
#include "platform/sdl/SdlHost.h"
#include "screens/CommandLine.h"
#include "screens/TFWords.h"

int main(int argc, char** argv) {
    SetUpHeap();
    const CommandLine options = ParseCommandLine(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "timburik: %s\n", options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("timburik %s\n", TIMBURIK_VERSION);
        return 0;
    }
    std::error_code ec;
    if (options.dataFolder && !std::filesystem::is_directory(*options.dataFolder, ec)) {
        std::fprintf(stderr, "timburik: --data: no such folder: %s\n", options.dataFolder->string().c_str());
        return 2;
    }
    try {
        // SDL starts first (SdlHost), then the game builds its window.
        SdlHost host(SdlHostOptions{kLayoutSize, options.windowed});
        const ContentLocation location = ResolveContentLocation(SystemLocationRequest(options.dataFolder, options.installed));
        // Held until the game ends. The user's folder is made now rather than at the first
        // save, so that the lock can lie in it.
        if (location.progressFolderMadeOnSave && !location.progressFolder.empty())
            MakePrivateFolder(location.progressFolder);
        const InstanceLock lock(location.ProgressFile("timburik.lock"));
        if (lock.GetState() == InstanceLock::State::HeldElsewhere) {
            Window box(host, kLayoutSize);
            box.SetCaption(Cp("Тимбурик"));
            box.ShowMessage(Cp("Игра уже открыта в другом окне."));
            BringOtherCopyForward();
            return 0;
        }
        TFWords form(host, location);
        form.VoicesOn = options.voices;
        // The end-to-end tests cannot read the gate's numbers in words: they fix its question.
        if (const char* seed = std::getenv("TIMBURIK_GATE_SEED"))
            form.GateRandom = [value = static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10))] { return value; };
        host.Run(form.GetWindow());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "timburik: %s\n", e.what());
        return 1;
    }
}
