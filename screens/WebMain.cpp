// The program's entry in a browser: the page's host and the game's window, over and over. A
// page cannot close itself, so leaving the game ("Выход", or the page being hidden) saves
// and brings back the choice screen for the next child.
#include <cstdio>
#include <exception>

#include "platform/web/WebHost.h"
#include "screens/TFWords.h"

int main() {
    try {
        WebHost host;
        for (;;) {
            TFWords form(host, "/content");
            host.Run(form.GetWindow());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "timburik: %s\n", e.what());
        return 1;
    }
}
