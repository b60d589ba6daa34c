// The program's entry in a browser: the page's host and the game's window, over and over. A
// page cannot close itself, so leaving the game ("Выход", or the page being hidden) saves
// and brings back the choice screen for the next child.
#include <cstdio>
#include <exception>

#include "game/ContentLocation.h"
#include "platform/toolkit/Text1251.h"
#include "platform/web/WebHost.h"
#include "screens/TFWords.h"

namespace {
// Where the browser refuses the site its storage: said once at the start and after each
// failed save.
constexpr const char* kScoreNotKept = "Счёт нельзя сохранить на этом устройстве.";
}  // namespace

int main() {
    try {
        // The site's content is the installed content, and the user's folder is the
        // browser's storage for the site (the page mounts both).
        ContentLocation location = ResolveContentLocation(SystemLocationRequest(std::nullopt, false));
        const bool kept = WebHost::StorageKept();
        if (!kept) location.progressNote = Cp(kScoreNotKept);
        WebHost host;
        bool told = kept;
        for (;;) {
            host.TakeTurn();
            TFWords form(host, location);
            // Asked each time the gate opens, so that a test may fix it once the page runs.
            form.GateRandom = [&host] {
                return WebHost::GateSeed().value_or(static_cast<std::uint32_t>(host.PerformanceCounter()));
            };
            if (!told) {
                told = true;
                form.GetWindow().ShowMessage(location.progressNote);
            }
            host.Run(form.GetWindow());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "timburik: %s\n", e.what());
        return 1;
    }
}
