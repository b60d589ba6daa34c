// Recording a parent's voice.
#include "screens/corner/VoiceScreen.h"

#include <algorithm>
#include <system_error>

#include "game/Puzzle.h"
#include "game/WriteProblems.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/VoiceProcessing.h"

using namespace corner;

namespace {
// The recording's three seconds, in the window's 10 ms ticks.
constexpr int kRecordTicks = static_cast<int>(kMaxVoiceSeconds * 100);

bool Exists(const std::filesystem::path& p) {
    std::error_code ec;
    return !p.empty() && std::filesystem::exists(p, ec);
}
}  // namespace

std::filesystem::path VoiceScreen::OwnFile() const {
    return letter_ ? c_.content.ParentLetterVoice(letter_) : c_.content.ParentWordVoice(word_);
}

std::filesystem::path VoiceScreen::OverlaidFile() const {
    return letter_ ? c_.content.OverlaidLetterVoice(letter_) : c_.content.OverlaidWordVoice(word_);
}

std::filesystem::path VoiceScreen::HeardFile() const {
    return letter_ ? c_.content.LetterVoice(letter_) : c_.content.WordVoice(word_);
}

void VoiceScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnRecord.OnClick = [this] {
        Record();
        go_(CornerStep::Repaint());
    };
    btnStop.OnClick = [this] {
        Stop(false);
        go_(CornerStep::Repaint());
    };
    btnListen.OnClick = [this] { c_.window.GetHost().PlayVoice(HeardFile(), false); };
    btnGameVoice.OnClick = [this] {
        RestoreGameVoice();
        go_(CornerStep::Repaint());
    };
    btnDone.OnClick = [this] { go_(Back()); };
    for (Button* b : {&btnRecord, &btnStop, &btnListen, &btnGameVoice, &btnDone}) {
        window.Add(*b);
        b->Hide();
    }
}

void VoiceScreen::Enter(const CornerStep& step) {
    letter_ = step.letter;
    word_ = step.word;
    family_ = step.fromFamily;
    level_ = step.level;
    recording_ = false;
    noteColour_ = kInk;
    note_ = Cp("Нажмите «Записать» и скажите ") + (letter_ ? Cp("букву.") : Cp("слово.")) + Cp(" Запись идёт до трёх секунд.");
    const std::pair<Button*, const char*> captions[] = {
        {&btnRecord, "Записать"}, {&btnStop, "Стоп"}, {&btnListen, "Прослушать"}, {&btnGameVoice, "Вернуть голос игры"}, {&btnDone, "Готово"}};
    for (const auto& [b, caption] : captions) painter_.FitCaption(*b, Cp(caption));
    btnRecord.Show();
    btnListen.Show();
    btnDone.Show();
    btnGameVoice.SetVisible(!family_);  // a family word has no voice of the game's
    Enable();
}

void VoiceScreen::Leave() {
    if (recording_) Cancel();
    for (Button* b : {&btnRecord, &btnStop, &btnListen, &btnGameVoice, &btnDone}) b->Hide();
}

void VoiceScreen::Enable() {
    btnRecord.SetVisible(!recording_);
    btnStop.SetVisible(recording_);
    btnListen.SetEnabled(!recording_ && Exists(HeardFile()));
    btnGameVoice.SetEnabled(!recording_ && (Exists(OwnFile()) || Exists(OverlaidFile())));
    btnDone.SetEnabled(!recording_);
}

CornerStep VoiceScreen::Back() const {
    CornerStep s = CornerStep::Go(family_ ? CornerStep::To::FamilyWords : CornerStep::To::Voices);
    s.level = level_;
    if (family_) s.word = word_;
    return s;
}

CornerStep VoiceScreen::KeyDown(Key key) {
    if (key != Key::Escape) return {};
    if (recording_) Cancel();
    return Back();
}

void VoiceScreen::Record() {
    Host& host = c_.window.GetHost();
    noteColour_ = kWarn;
    if (!host.OpenMicrophone()) {
        const std::string refused = host.MicrophoneRefusal();
        note_ = !refused.empty() ? refused : Cp("Микрофона нет, или играм запрещено его слушать: голос не записать.");
        return;
    }
    // A browser that has been told no already says so at once, before a take that would hear nothing.
    if (const std::string refused = host.MicrophoneRefusal(); !refused.empty()) {
        host.CloseMicrophone();
        note_ = refused;
        return;
    }
    host.StartRecording();
    recording_ = true;
    ticks_ = 0;
    noteColour_ = kInk;
    note_ = Cp("Говорите…");
    Enable();
}

CornerStep VoiceScreen::Tick() {
    if (!recording_) return {};
    if (const std::string refused = c_.window.GetHost().MicrophoneRefusal(); !refused.empty()) {
        Cancel();
        noteColour_ = kWarn;
        note_ = refused;
        return CornerStep::Repaint();
    }
    // The meter follows the voice; three seconds are a word's most.
    if (++ticks_ >= kRecordTicks) Stop(true);
    return CornerStep::Repaint();
}

void VoiceScreen::Cancel() {
    Host& host = c_.window.GetHost();
    recording_ = false;
    int rate = 0;
    host.StopRecording(rate);
    host.CloseMicrophone();
    Enable();
}

void VoiceScreen::Stop(bool byTimer) {
    Host& host = c_.window.GetHost();
    recording_ = false;
    int rate = 0;
    const std::vector<std::int16_t> samples = host.StopRecording(rate);
    const bool heard = host.MicrophoneHeard();
    const std::string refused = host.MicrophoneRefusal();
    host.CloseMicrophone();
    Enable();
    noteColour_ = kWarn;
    if (!heard) {
        note_ = !refused.empty() ? refused
                                 : Cp("Микрофон ничего не услышал: он не подключён, или играм запрещено его слушать.");
        return;
    }
    ProcessedVoice voice;
    try {
        voice = ProcessVoice(samples, 1, rate);
    } catch (const GameError& e) {
        note_ = e.what();
        return;
    }
    const std::filesystem::path file = OwnFile();
    if (const int err = FilesOnDisk().Write(file, voice.wav); err != 0) throw GameError(WriteProblem(err, file));
    host.PlayVoice(file, false);
    if (voice.shortened || (byTimer && voice.cutOff)) {
        note_ = Cp("Записаны только первые три секунды: слово, похоже, ещё звучало. Нажмите «Записать» и скажите его сразу и покороче.");
    } else if (voice.clipped) {
        note_ = Cp("Записано, но слишком громко: звук хрипит. Лучше записать ещё раз, подальше от микрофона или потише.");
    } else {
        noteColour_ = kGood;
        note_ = Cp("Записано. Так и будет звучать в игре.");
    }
    Enable();
}

void VoiceScreen::RestoreGameVoice() {
    FilesOnDisk().Remove(OwnFile());
    // A voice put over the installed one by earlier versions of the corner, or by hand in the
    // parent's folder, is the parent's too.
    if (!OverlaidFile().empty()) FilesOnDisk().Remove(OverlaidFile());
    noteColour_ = kInk;
    note_ = Cp("Снова звучит голос игры.");
    Enable();
}

void VoiceScreen::Paint(Picture& p) {
    const Rect b = paint::Whole(p);
    const std::string what = letter_ ? Cp("буквы «") + std::string(1, LetterOfNumber(letter_)) + Cp("»") : Cp("слова «") + word_ + Cp("»");
    painter_.Text(p, Cp("Ваш голос для ") + what, 28, true, kInk, 24, 64);
    painter_.Paragraph(p, note_, 24, noteColour_, 24, 140, 1300);
    const Rect meter{24, 260, 600, 40};
    paint::Fill(p, meter, b, kPaperDark);
    if (recording_) {
        const double level = c_.window.GetHost().RecordingLevel();
        paint::Fill(p, Rect{meter.x, meter.y, static_cast<int>(meter.w * std::clamp(level, 0.0, 1.0)), meter.h}, b, 0x00B000);
        paint::Fill(p, Rect{meter.x, meter.y + meter.h + 6, meter.w * ticks_ / kRecordTicks, 6}, b, kFrame);
    }
}
