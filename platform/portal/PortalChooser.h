// The desktop's own file chooser through the XDG desktop portal (org.freedesktop.portal.
// FileChooser) on the session bus, spoken with sd-bus from libsystemd, which is loaded by name
// when a chooser is first asked for: the game starts, and plays, without it.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/PictureChooser.h"

struct sd_bus;

class PortalChooser {
public:
    // The session bus, connected, when it is there and a portal is on it or would be started
    // by it; null otherwise (no bus, no libsystemd, no portal). Asks only the bus, never the
    // portal itself, which may take seconds to start: this runs while the game waits.
    static std::unique_ptr<PortalChooser> Find();
    ~PortalChooser();
    PortalChooser(const PortalChooser&) = delete;
    PortalChooser& operator=(const PortalChooser&) = delete;

    enum class Answer {
        Chosen,     // `uri` names the file
        Cancelled,  // the parent closed the chooser, or the portal went away while it was open
        Refused,    // the portal showed none: it has no file chooser, or did not answer
        Stopped,    // `stopFd` became readable: the chooser was closed and nothing is given
    };
    // Shows the chooser above `parent` (an X11 window id, 0 for none), starting in `folder`,
    // and waits, on the calling thread, for the parent's answer or for `stopFd`.
    Answer Choose(std::uintptr_t parent, const ChooserKind& kind, const std::filesystem::path& folder, int stopFd, std::string& uri);

private:
    explicit PortalChooser(sd_bus* bus) : bus_(bus) {}
    sd_bus* bus_;
};
