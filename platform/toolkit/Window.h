// Window: the controls in creation order, pointer routing with capture and clicks, the
// timer, modal message boxes, error dispatch, and composition of the frame.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Color.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/FontCache.h"
#include "platform/toolkit/Fonts.h"
#include "platform/toolkit/Host.h"
#include "platform/toolkit/Picture.h"

// The keys the window tells apart; letters arrive as typed text (TextTyped), whatever the
// keyboard's layout.
enum class Key { Enter, Escape, Backspace, Other };

// Who asks the program to quit: someone at the screen (the window manager's close), who can
// read a box, or the system by a signal (SIGTERM, SIGINT, the session ending), which cannot.
enum class QuitReason { Close, Signal };

class MessageBoxPanel;
// What a message box is: an error (stop icon), a question (Да, Нет), a message (a blue "i").
enum class BoxKind { Error, Question, Information };

class Window {
public:
    // `layout`: the size of the frame the window composes, in its own pixels, which the host
    // fits to the screen.
    Window(Host& host, Size layout);
    ~Window();
    Size Layout() const { return layout_; }

    void SetCaption(const std::string& cp1251) { caption_ = cp1251; }
    const std::string& Caption() const { return caption_; }
    void SetColor(TColor c);
    TColor Color() const { return color_; }
    void SetDefaultFont(const Font& f) { font_ = f; }
    const Font& DefaultFont() const { return font_; }

    // Controls are owned by whoever creates them and must outlive the window's use of them.
    // The order of adding is the creation order: later pictures and labels paint over earlier.
    void Add(Control& c);
    const std::vector<Control*>& Controls() const { return controls_; }

    // Input from the host, in layout coordinates. Only the primary button (the left one, a
    // finger) presses: the others are ignored, during a press too, so that only the primary
    // button's release ends it. A move told the primary button is up while a press is held
    // ends that press first: its release went elsewhere (a menu, another program).
    static constexpr int kPrimaryButton = 1;
    void PointerDown(int x, int y, int button = kPrimaryButton);
    void PointerMove(int x, int y, bool primaryHeld = true);
    void PointerUp(int x, int y, int button = kPrimaryButton);
    // The system took the press away (a gesture of its own): the press ends with no click,
    // told to the control as a cancel (OnMouseCancel, else OnMouseUp).
    void PointerCancel(int x, int y);
    // Where the layout is shown small (a phone), a control pressed with a finger answers in
    // an area of at least this many layout pixels each way round its middle, beyond what it
    // draws, wherever no other control is there to be pressed; 0, the default, for none.
    void SetMinimumTarget(int layoutPixels) { minimumTarget_ = layoutPixels; }
    void KeyDown(Key k);
    // Text typed on a keyboard, code page 1251: a box answers its letters ("Д", "Н", and "Y",
    // "N" on a Latin layout).
    void TextTyped(const std::string& cp1251);
    // Keys and text while no box is open; a box takes them all while it is.
    std::function<void(Key)> OnKeyDown;
    std::function<void(const std::string&)> OnTextTyped;
    // The platform asks the program to quit (window manager close, SIGTERM, SIGINT).
    void QuitRequested(QuitReason reason = QuitReason::Close);
    std::function<void(QuitReason)> OnQuitRequest;  // if unset, the window just closes
    // A file dropped on the window (or picked in a browser), its path in UTF-8.
    void FileDropped(const std::string& utf8Path);
    std::function<void(const std::string&)> OnFileDropped;
    // The program may be stopped without a word, and should keep what it must now (a browser
    // tab hidden, which may never come back), going on as it was if it does.
    void SaveRequested();
    std::function<void()> OnSaveRequest;
    // Something the host keeps changed that the program may show (a browser's copy for
    // playing offline growing): nothing to do but to show it afresh.
    void SystemChanged();
    std::function<void()> OnSystemChanged;

    // The timer: while running, the host calls Tick() every `intervalMs`, which runs OnTimer.
    // Setting it as it already is keeps its rhythm, as a running system timer does.
    std::function<void()> OnTimer;
    void SetTimer(bool running, int intervalMs);
    bool TimerRunning() const { return timerRunning_; }
    void Tick();
    // Runs after each handler the window dispatches (a pointer event, a key, a tick, a quit),
    // once the handler is done: where a program decides what follows from its state, such as
    // whether its timer runs.
    std::function<void()> AfterEvent;

    // Modal boxes drawn inside the window. ShowError: stop icon and "ОК". AskYesNo: the
    // warning question ("Предупреждение") with "Да" and "Нет"; true only for Да (Enter);
    // Escape, Нет or closing the box answer false. Both return only once answered; ticks go
    // on meanwhile.
    void ShowError(const std::string& cp1251);
    // A message that is no error: the blue "i" and "ОК".
    void ShowMessage(const std::string& cp1251);
    bool AskYesNo(const std::string& cp1251);
    bool ModalOpen() const;
    // The box on top, or null; the headless host reads and answers it.
    MessageBoxPanel* Modal() const { return modal_.get(); }

    // Runs a handler; an error escaping it is shown in the error box, with the full-stop rule.
    void Dispatch(const std::function<void()>& handler);

    // A frame is composed and presented only when something changed, and only the part
    // that changed is composed again: the whole frame, or an area in layout coordinates.
    void Invalidate();
    void Invalidate(Rect area);
    bool NeedsPresent() const { return dirty_; }
    // Brings lazily painted controls up to date and composes what changed since the last
    // composition; the frame it returns is the whole window as it now looks.
    const Picture& ComposeFrame();
    void PresentIfChanged();

    void Close();
    bool Closed() const { return closed_; }

    Host& GetHost() { return host_; }
    FontEngine& Fonts() { return fonts_; }

private:
    Rect Whole() const;
    Control* HitTest(int x, int y) const;
    // A control's bounds, grown to the minimum target when it is one to be pressed.
    Rect TargetArea(const Control* c) const;
    // Opens a box above any open one, waits for its answer and closes it.
    bool RunBox(BoxKind kind, const std::string& caption, const std::string& text);
    void ReleaseCapture();

    Host& host_;
    Size layout_;
    FontCache fonts_;
    std::string caption_;
    TColor color_ = clGreen;
    Font font_;
    std::vector<Control*> controls_;
    Control* captured_ = nullptr;
    Control* pressedOn_ = nullptr;
    int minimumTarget_ = 0;
    std::unique_ptr<MessageBoxPanel> modal_;
    int interval_ = 0;
    bool timerRunning_ = false;
    bool dirty_ = true;    // a frame is due
    Rect damage_;   // what the next composition paints
    Rect unshown_;  // what compositions changed since the last frame was presented
    bool closed_ = false;
    bool quitPending_ = false;  // a quit request arrived while a box was open
    QuitReason pendingReason_ = QuitReason::Close;
    Picture frame_;
};
