// The parents' corner driven on the headless host: through the gate, and the page's places.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/toolkit/Text1251.h"
#include "tests/screens/GameFixture.h"

class Corner : public GameTest {
protected:
    ParentsCorner& C() { return form->corner; }
    // Presses the gate's tile showing `number`, holds it for `ticks` ticks and lets go.
    void Hold(int number, int ticks) {
        const auto& shown = C().gate.Question().shown;
        const auto at = std::find(shown.begin(), shown.end(), number);
        ASSERT_NE(at, shown.end());
        const Rect r = C().gate.btnGate[static_cast<std::size_t>(at - shown.begin())]->Bounds();
        W().PointerDown(r.x + r.w / 2, r.y + r.h / 2);
        host.Ticks(W(), ticks);
        W().PointerUp(r.x + r.w / 2, r.y + r.h / 2);
    }
    int Asked(int step) { return C().gate.Question().asked[static_cast<std::size_t>(step)]; }
    void OpenCorner() {
        ClickOn(C().imgGear);
        ASSERT_TRUE(C().GateOpen());
        Hold(Asked(0), kGateHoldTicks);
        Hold(Asked(1), kGateHoldTicks);
        ASSERT_TRUE(C().Open());
    }
    void ClickCorner(Rect r) { host.Click(W(), r.x + r.w / 2, r.y + r.h / 2); }
    void Type(const char* utf8) { W().TextTyped(Cp(utf8)); }
};

inline std::vector<std::int16_t> Spoken(double seconds = 1, int amplitude = 6000) {
    std::vector<std::int16_t> s(44100 / 2, 0);  // half a second of silence, the voice, silence
    for (int i = 0; i < static_cast<int>(44100 * seconds); ++i)
        s.push_back(static_cast<std::int16_t>(amplitude * std::sin(i * 2 * 3.14159 * 220 / 44100)));
    s.resize(s.size() + 44100 / 2, 0);
    return s;
}

