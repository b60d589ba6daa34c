// The program's entry in a browser: the page's host and the game's window, over and over. A
// page cannot close itself, so leaving the game ("Выход", or the page being hidden) saves
// and brings back the choice screen for the next child.
#include <cstdio>
#include <exception>

#include "game/ContentLocation.h"
#include "platform/web/WebHost.h"
#include "screens/TFWords.h"

int main() {
    try {
        // The site's content is the installed content, and the user's folder is the
        // browser's storage for the site (the page mounts both).
        const ContentLocation location = ResolveContentLocation(SystemLocationRequest(std::nullopt, false));
        WebHost host;
        for (;;) {
            TFWords form(host, location);
            host.Run(form.GetWindow());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "timburik: %s\n", e.what());
        return 1;
    }
}
