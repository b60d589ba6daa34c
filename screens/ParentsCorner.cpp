// The parents' corner: the gate, the figures of each child, adding, renaming and removing
// children, and exporting a child's record.
#include "screens/ParentsCorner.h"

#include <algorithm>
#include <cmath>

#include "assets/Assets.h"
#include "game/ProgressFile.h"
#include "game/Puzzle.h"
#include "game/Session.h"
#include "platform/Files.h"
#include "platform/HandToParent.h"
#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

namespace {

// Held this many ticks of the 10 ms timer: three seconds.
constexpr int kHoldTicks = 300;

constexpr TColor kPaper = 0xE6F5FF;    // a warm cream
constexpr TColor kHeader = 0x008000;   // the game's green
constexpr TColor kDarkHeader = 0x005000;
constexpr TColor kInk = 0x202020;
constexpr TColor kSoft = 0x606060;
constexpr TColor kSolvedBar = 0x0080FF;  // orange
constexpr TColor kTimeBar = 0xC08040;    // blue
constexpr TColor kFrame = 0x00A0FF;

// Figures' places in the corner.
constexpr int kTabTop = 62, kTabSize = 64, kTabStep = 150;
constexpr int kChartLeft = 24, kBarWidth = 18, kBarStep = 21;
constexpr int kSolvedChartTop = 262, kSolvedChartHeight = 120;
constexpr int kTimeChartTop = 452, kTimeChartHeight = 100;
// The name entry's keyboard: 34 keys (the 33 letters and a space) in rows of 12.
constexpr int kKeySize = 70, kKeyStep = 78, kKeysPerRow = 12, kKeysTop = 230;
constexpr int kPortraitSize = 80, kPortraitStep = 100, kPortraitsTop = 500;

std::string Utf(const std::string& cp1251) { return Cp1251ToUtf8(cp1251); }

std::string ChildName(const Child& c) {
    if (!c.name.empty()) return c.name;
    if (c.progressFile == "Confif.cnf") return Cp("Девочка");
    if (c.progressFile == "Confis.cnf") return Cp("Мальчик");
    return Cp("Ребёнок");
}

std::string Minutes(int seconds) {
    const int m = seconds / 60, s = seconds % 60;
    return m > 0 ? std::to_string(m) + Cp(" мин ") + std::to_string(s) + Cp(" с") : std::to_string(s) + Cp(" с");
}

// The record as a spreadsheet reads it: comma-separated, quoted where needed, UTF-8 marked so.
std::string RecordAsCsv(const std::filesystem::path& file) {
    std::string text;
    ReadWholeFile(file, text, 4 * 1024 * 1024);
    std::string csv = "\xEF\xBB\xBF";
    std::string field;
    bool needsQuotes = false;
    auto endField = [&] {
        csv += needsQuotes ? "\"" + field + "\"" : field;
        field.clear();
        needsQuotes = false;
    };
    for (const char ch : text) {
        if (ch == '\t') {
            endField();
            csv += ',';
        } else if (ch == '\n') {
            endField();
            csv += "\r\n";
        } else if (ch != '\r') {
            if (ch == '"') field += '"';
            if (ch == '"' || ch == ',') needsQuotes = true;
            field += ch;
        }
    }
    if (!field.empty()) endField();
    return csv;
}

}  // namespace

std::string NumberInWords(int n) {
    static const char* const kUnits[] = {"",      "один",  "два",    "три",    "четыре",
                                         "пять",  "шесть", "семь",   "восемь", "девять"};
    static const char* const kTeens[] = {"десять",     "одиннадцать", "двенадцать",   "тринадцать",
                                         "четырнадцать", "пятнадцать", "шестнадцать", "семнадцать",
                                         "восемнадцать", "девятнадцать"};
    static const char* const kTens[] = {"",         "",          "двадцать",   "тридцать",    "сорок",
                                        "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};
    if (n < 1 || n > 99) return {};
    if (n < 10) return kUnits[n];
    if (n < 20) return kTeens[n - 10];
    const std::string tens = kTens[n / 10];
    return n % 10 == 0 ? tens : tens + " " + kUnits[n % 10];
}

ParentsCorner::ParentsCorner(Context context) : c_(std::move(context)) {
    for (int i = 0; i < 4; ++i)
        btnGate[static_cast<std::size_t>(i)] =
            std::make_unique<Button>("btnGate" + std::to_string(i + 1), Rect{344 + i * 190, 380, 150, 110});
}

Rect ParentsCorner::TabArea(int child) { return Rect{24 + child * kTabStep, kTabTop, kTabStep - 10, kTabSize + 34}; }

Rect ParentsCorner::KeyArea(int key) {
    const int left = (1369 - kKeysPerRow * kKeyStep + (kKeyStep - kKeySize)) / 2;
    return Rect{left + (key % kKeysPerRow) * kKeyStep, kKeysTop + (key / kKeysPerRow) * kKeyStep, kKeySize, kKeySize};
}

Rect ParentsCorner::PortraitArea(int portrait) {
    const int left = (1369 - kPortraits * kPortraitStep + (kPortraitStep - kPortraitSize)) / 2;
    return Rect{left + (portrait - 1) * kPortraitStep, kPortraitsTop, kPortraitSize, kPortraitSize};
}

Rect ParentsCorner::BarArea(int day, bool minutes) {
    return Rect{kChartLeft + day * kBarStep, minutes ? kTimeChartTop : kSolvedChartTop, kBarWidth,
                minutes ? kTimeChartHeight : kSolvedChartHeight};
}

void ParentsCorner::AddControls() {
    Window& w = c_.window;
    Picture gear(imgGear.Bounds().w, imgGear.Bounds().h);
    PaintGear(gear);
    imgGear.SetPicture(std::move(gear));
    imgGear.OnClick = [this] { OpenGate(); };
    imgGateShade.OnMouseDown = [this](int, int) { CloseGate(); };
    imgGate.SetPainter([this] { PaintGate(); });
    imgCorner.SetPainter([this] { PaintCorner(); });
    imgCorner.OnMouseDown = [this](int x, int y) { CornerPressed(x, y); };
    imgCorner.OnMouseUp = [this](int x, int y) { CornerReleased(x, y); };
    w.Add(imgGear);
    w.Add(imgGateShade);
    w.Add(imgGate);
    for (int i = 0; i < 4; ++i) {
        Button& b = *btnGate[static_cast<std::size_t>(i)];
        b.SetFont(Font{"Tahoma", 48, true});
        b.OnMouseDown = [this, i](int, int) {
            if (mode_ != Mode::Gate) return;
            if (numbers_[static_cast<std::size_t>(i)] != answer_) {
                CloseGate();  // silently: a child learns nothing from a wrong guess
                return;
            }
            holding_ = true;
            heldTicks_ = 0;
        };
        b.OnMouseUp = [this](int, int) {
            if (holding_) CloseGate();  // let go too soon
        };
        w.Add(b);
    }
    imgCorner.OnMouseMove = [this](int x, int y) { CornerMoved(x, y); };
    w.Add(imgCorner);
    const Font buttons{"Tahoma", 22, false};
    const std::pair<Button*, const char*> captions[] = {
        {&btnCornerExport, "Выгрузить запись"}, {&btnCornerAdd, "Добавить ребёнка"}, {&btnCornerRename, "Переименовать"},
        {&btnCornerRemove, "Удалить"},          {&btnCornerBack, "Назад"},           {&btnNameErase, "Стереть"},
        {&btnNameDone, "Готово"},               {&btnNameCancel, "Отмена"}};
    for (const auto& [b, caption] : captions) {
        b->SetCaption(Cp(caption));
        b->SetFont(buttons);
        w.Add(*b);
    }
    btnCornerWords.SetCaption(Cp("Слова семьи"));
    btnCornerWords.SetFont(buttons);
    w.Add(btnCornerWords);
    btnCornerWords.OnClick = [this] { ShowWords(); };
    for (std::size_t i = 0; i < btnWord.size(); ++i) {
        btnWord[i] = std::make_unique<Button>("btnWord" + std::to_string(i + 1),
                                              Rect{24 + static_cast<int>(i) * 222, 630, 210, 52});
        btnWord[i]->SetFont(buttons);
        w.Add(*btnWord[i]);
    }
    btnCornerExport.OnClick = [this] { ExportRecord(); };
    btnCornerAdd.OnClick = [this] { StartName(false); };
    btnCornerRename.OnClick = [this] { StartName(true); };
    btnCornerRemove.OnClick = [this] { RemoveChild(); };
    btnCornerBack.OnClick = [this] { Close(); };
    btnNameErase.OnClick = [this] { KeyDown(Key::Backspace); };
    btnNameDone.OnClick = [this] { FinishName(); };
    btnNameCancel.OnClick = [this] { ShowFigures(selected_); };
    Show(Mode::Closed);
}

void ParentsCorner::Show(Mode mode) {
    if (recording_ && mode != Mode::Voice) CancelRecording();
    mode_ = mode;
    holding_ = false;
    const bool gate = mode == Mode::Gate, figures = mode == Mode::Figures, name = mode == Mode::Name;
    imgGateShade.SetVisible(gate);
    imgGate.SetVisible(gate);
    for (auto& b : btnGate) b->SetVisible(gate);
    const bool words = mode == Mode::Words || mode == Mode::WordText || mode == Mode::Picture || mode == Mode::Replace ||
                       mode == Mode::Voice || mode == Mode::VoiceLetters || mode == Mode::VoiceWords;
    imgCorner.SetVisible(figures || name || words);
    for (Button* b : {&btnCornerExport, &btnCornerAdd, &btnCornerRename, &btnCornerRemove, &btnCornerWords, &btnCornerBack})
        b->SetVisible(figures);
    for (auto& b : btnWord) b->SetVisible(false);  // each word screen shows its own (SetButtons)
    if (words) imgCorner.PaintLater();
    for (Button* b : {&btnNameErase, &btnNameDone, &btnNameCancel}) b->SetVisible(name);
    if (figures) {
        btnCornerAdd.SetEnabled(!c_.children.Full());
        btnCornerRemove.SetEnabled(c_.children.children.size() > 1);
    }
    if (gate) imgGate.PaintLater();
    if (figures || name) imgCorner.PaintLater();
}

// --- The gate ---------------------------------------------------------------------------

void ParentsCorner::OpenGate() {
    // A two-digit number whose neighbours on the tiles share its digits, so that only reading
    // the words tells them apart.
    std::uint32_t r = c_.random();
    auto draw = [&](int n) {
        r = r * 134775813u + 1u;
        return static_cast<int>((static_cast<std::uint64_t>(r) * static_cast<std::uint32_t>(n)) >> 32);
    };
    const int tens = 2 + draw(8), units = 1 + draw(9);
    answer_ = tens * 10 + units;
    std::array<int, 4> shown{answer_, units * 10 + tens, tens * 10 + (units % 9) + 1, ((tens - 1) % 8 + 2) * 10 + units};
    for (int i = 1; i < 4; ++i) {
        // Neither the answer twice nor a number the words do not name.
        while (shown[static_cast<std::size_t>(i)] == answer_ || shown[static_cast<std::size_t>(i)] < 11 ||
               std::count(shown.begin(), shown.begin() + i, shown[static_cast<std::size_t>(i)]) > 0)
            shown[static_cast<std::size_t>(i)] = 11 + draw(89);
    }
    for (int i = 3; i > 0; --i) std::swap(shown[static_cast<std::size_t>(i)], shown[static_cast<std::size_t>(draw(i + 1))]);
    numbers_ = shown;
    for (int i = 0; i < 4; ++i) btnGate[static_cast<std::size_t>(i)]->SetCaption(std::to_string(numbers_[static_cast<std::size_t>(i)]));
    Show(Mode::Gate);
}

void ParentsCorner::CloseGate() { Show(Mode::Closed); }

void ParentsCorner::Tick() {
    if (recording_) {
        RecordingTick();
        return;
    }
    if (!holding_ || ++heldTicks_ < kHoldTicks) return;
    ShowFigures(0);
}

// --- The figures ------------------------------------------------------------------------

void ParentsCorner::ShowFigures(int child) {
    selected_ = std::clamp(child, 0, static_cast<int>(c_.children.children.size()) - 1);
    const Child& c = c_.children.children[static_cast<std::size_t>(selected_)];
    figures_ = FiguresOf(ReadLearningRecord(c_.content.ProgressFile(c.RecordFile())), c_.now());
    try {
        score_ = LoadProgressFile(c_.content.ProgressFileToRead(c.progressFile));
        if (score_ > kMaxStoredScore) score_ = kScoreWhenTooHigh;
    } catch (const GameError&) {
        score_ = -1;
    }
    Show(Mode::Figures);
}

void ParentsCorner::Close() { Show(Mode::Closed); }

void ParentsCorner::CornerPressed(int x, int y) {
    pressedAt_ = -1;
    if (mode_ != Mode::Figures && mode_ != Mode::Name) {
        WordsPressed(x, y);
        return;
    }
    if (mode_ == Mode::Figures) {
        for (int i = 0; i < static_cast<int>(c_.children.children.size()); ++i)
            if (TabArea(i).Contains(x, y)) pressedAt_ = i;
    } else if (mode_ == Mode::Name) {
        for (int k = 0; k <= kAlphabetSize; ++k)
            if (KeyArea(k).Contains(x, y)) pressedAt_ = k;
        for (int p = 1; p <= kPortraits; ++p)
            if (PortraitArea(p).Contains(x, y)) pressedAt_ = 100 + p;
    }
}

void ParentsCorner::CornerReleased(int x, int y) {
    if (mode_ != Mode::Figures && mode_ != Mode::Name) {
        WordsReleased(x, y);
        return;
    }
    const int pressed = pressedAt_;
    pressedAt_ = -1;
    if (pressed < 0) return;
    if (mode_ == Mode::Figures) {
        if (TabArea(pressed).Contains(x, y)) ShowFigures(pressed);
        return;
    }
    if (mode_ != Mode::Name) return;
    if (pressed > 100) {
        if (PortraitArea(pressed - 100).Contains(x, y)) {
            portrait_ = pressed - 100;
            imgCorner.PaintLater();
        }
    } else if (KeyArea(pressed).Contains(x, y)) {
        if (pressed == kAlphabetSize) {
            TextTyped(" ");
            return;
        }
        // The keys show capitals; a name is written with one only at the start of each part.
        auto letter = static_cast<unsigned char>(LetterOfNumber(pressed + 1));
        const bool starts = name_.empty() || name_.back() == ' ' || name_.back() == '-';
        if (!starts) letter = letter == 0xA8 ? 0xB8 : static_cast<unsigned char>(letter + 0x20);
        TextTyped(std::string(1, static_cast<char>(letter)));
    }
}

bool ParentsCorner::KeyDown(Key key) {
    if (mode_ == Mode::Gate && key == Key::Escape) {
        CloseGate();
        return true;
    }
    if (mode_ == Mode::Figures && key == Key::Escape) {
        Close();
        return true;
    }
    if (mode_ == Mode::WordText) {
        if (key == Key::Backspace && !word_.empty()) word_.pop_back();
        if (key == Key::Enter) WordTextDone();
        if (key == Key::Escape) ShowWords();
        wordCheck_ = CheckFamilyWord(word_, c_.longestWord, c_.words);
        imgCorner.PaintLater();
        return true;
    }
    if (mode_ != Mode::Name) {
        // Escape steps back: from a word's screens to the family's words, from there to the figures.
        if (mode_ == Mode::Closed || key != Key::Escape) return false;
        if (mode_ == Mode::Words)
            ShowFigures(selected_);
        else
            ShowWords();
        return true;
    }
    if (key == Key::Backspace && !name_.empty()) name_.pop_back();
    if (key == Key::Enter) FinishName();
    if (key == Key::Escape) ShowFigures(selected_);
    imgCorner.PaintLater();
    return true;
}

bool ParentsCorner::TextTyped(const std::string& cp1251) {
    if (mode_ == Mode::WordText) {
        // A word is written in capitals: small letters typed count as theirs.
        for (const char ch : cp1251) {
            auto u = static_cast<unsigned char>(ch);
            if (u >= 0xE0) u = static_cast<unsigned char>(u - 0x20);
            if (u == 0xB8) u = 0xA8;
            if (LetterNumber(u) != 0 && word_.size() < kMaxLetters) word_ += static_cast<char>(u);
        }
        wordCheck_ = CheckFamilyWord(word_, c_.longestWord, c_.words);
        imgCorner.PaintLater();
        return true;
    }
    if (mode_ != Mode::Name) return false;
    for (const char ch : cp1251) {
        const auto u = static_cast<unsigned char>(ch);
        // Russian letters of either case, a space or a hyphen between them, as names are written.
        const bool letter = u >= 0xC0 || u == 0xA8 || u == 0xB8;
        const bool between = (ch == ' ' || ch == '-') && !name_.empty() && name_.back() != ' ' && name_.back() != '-';
        if ((letter || between) && name_.size() < 20) name_ += ch;
    }
    imgCorner.PaintLater();
    return true;
}

void ParentsCorner::StartName(bool renaming) {
    renaming_ = renaming;
    const Child& c = c_.children.children[static_cast<std::size_t>(selected_)];
    name_ = renaming ? c.name : std::string();
    if (renaming) {
        portrait_ = c.portrait;
    } else {
        // The first portrait nobody has yet.
        portrait_ = 1;
        for (int p = kPortraits; p >= 1; --p) {
            bool used = false;
            for (const Child& other : c_.children.children) used = used || other.portrait == p;
            if (!used) portrait_ = p;
        }
    }
    Show(Mode::Name);
}

void ParentsCorner::FinishName() {
    while (!name_.empty() && (name_.back() == ' ' || name_.back() == '-')) name_.pop_back();
    if (name_.empty()) {
        imgCorner.PaintLater();
        return;
    }
    ChildList changed = c_.children;
    if (renaming_) {
        Child& c = changed.children[static_cast<std::size_t>(selected_)];
        c.name = name_;
        c.portrait = portrait_;
    } else {
        changed.Add(name_, portrait_);
    }
    if (const int err = changed.Save(c_.content.progressFolder); err != 0) throw GameError(WriteErrorText(err));
    c_.children = changed;
    c_.childrenChanged();
    ShowFigures(renaming_ ? selected_ : static_cast<int>(c_.children.children.size()) - 1);
}

void ParentsCorner::RemoveChild() {
    Window& w = c_.window;
    const std::string name = ChildName(c_.children.children[static_cast<std::size_t>(selected_)]);
    if (!w.AskYesNo(Cp("Убрать ") + "\xAB" + name + "\xBB" + Cp(" из игры? Его успехи останутся в файлах."))) return;
    if (!w.AskYesNo(Cp("Точно убрать ") + "\xAB" + name + "\xBB" + Cp("?"))) return;
    ChildList changed = c_.children;
    if (const int err = changed.Remove(selected_, c_.content.progressFolder); err != 0) throw GameError(WriteErrorText(err));
    if (const int err = changed.Save(c_.content.progressFolder); err != 0) throw GameError(WriteErrorText(err));
    c_.children = changed;
    c_.childrenChanged();
    ShowFigures(std::max(0, selected_ - 1));
}

void ParentsCorner::ExportRecord() {
    const Child& c = c_.children.children[static_cast<std::size_t>(selected_)];
    const std::string csv = RecordAsCsv(c_.content.ProgressFile(c.RecordFile()));
    const std::string where =
        HandToParent(Utf(Cp("Тимбурик - ") + ChildName(c)) + ".csv", csv, c_.content.progressFolder);
    c_.window.ShowMessage(Cp("Запись сохранена: ") + Utf8ToCp1251(where));
}

// --- Painting ---------------------------------------------------------------------------

void ParentsCorner::Text(Picture& p, const std::string& cp1251, int size, bool bold, TColor colour, int x, int y) const {
    paint::Caption(p, c_.window.Fonts(), Font{"Tahoma", size, bold}, paint::Accel{cp1251, -1}, colour, x, y,
                   Rect{0, 0, p.Width(), p.Height()});
}

int ParentsCorner::TextWidth(const std::string& cp1251, int size, bool bold) const {
    return c_.window.Fonts().Measure(Font{"Tahoma", size, bold}, cp1251).width;
}

const Picture* ParentsCorner::Tile(int letter, int size) {
    const auto key = std::make_pair(letter, size);
    if (const auto it = tiles_.find(key); it != tiles_.end()) return &it->second;
    try {
        return &tiles_.emplace(key, Scaled(LoadBmpFile(c_.content.LetterPicture(letter)), size, size)).first->second;
    } catch (const GameError&) {
        return nullptr;  // drawn as a plain tile with its letter
    }
}

const Picture& ParentsCorner::Portrait(int portrait, int size) {
    const auto key = std::make_pair(portrait, size);
    if (const auto it = portraits_.find(key); it != portraits_.end()) return it->second;
    const EmbeddedFile f = FindAsset("portrait" + std::to_string(portrait) + ".jpg");
    Picture p = f.data ? Scaled(DecodeJpeg(f.data, f.size), size, size) : Picture(size, size, ColorToPixel(kHeader));
    return portraits_.emplace(key, std::move(p)).first->second;
}

void ParentsCorner::PaintGear(Picture& p) const {
    // A gear in the ring's gold, on the window's green: teeth round a wheel with a hole.
    const double cx = p.Width() / 2.0, cy = p.Height() / 2.0, outer = p.Width() / 2.0 - 1;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::sqrt(dx * dx + dy * dy);
            const double tooth = std::cos(8 * std::atan2(dy, dx)) > 0.2 ? outer : outer * 0.78;
            TColor c = clGreen;
            if (d <= tooth) c = d > outer * 0.3 ? (d > tooth - 2 ? 0x157FB8 : 0x30B8F0) : clGreen;
            p.Set(x, y, ColorToPixel(c));
        }
}

void ParentsCorner::PaintGate() {
    Picture& p = imgGate.PainterSurface();
    const Rect b{0, 0, p.Width(), p.Height()};
    paint::Fill(p, b, b, kFrame);
    paint::Fill(p, Rect{5, 5, b.w - 10, b.h - 10}, b, kPaper);
    paint::Fill(p, Rect{5, 5, b.w - 10, 52}, b, kDarkHeader);
    Text(p, Cp("Для взрослых"), 28, true, clWhite, 24, 14);
    Text(p, Cp("Нажмите и держите три секунды число"), 28, false, kInk, 24, 80);
    const std::string words = "\xAB" + Cp(NumberInWords(answer_)) + "\xBB";
    Text(p, words, 34, true, kInk, (b.w - TextWidth(words, 34, true)) / 2, 130);
}

void ParentsCorner::PaintCorner() {
    Picture& p = imgCorner.PainterSurface();
    const Rect b{0, 0, p.Width(), p.Height()};
    paint::Fill(p, b, b, kPaper);
    paint::Fill(p, Rect{0, 0, b.w, 50}, b, kHeader);
    Text(p, Cp("Уголок для взрослых"), 30, true, clWhite, 24, 8);
    if (mode_ == Mode::Name)
        PaintName(p);
    else if (mode_ == Mode::Figures)
        PaintFigures(p);
    else
        PaintWords(p);
}

void ParentsCorner::PaintFigures(Picture& p) {
    const Rect b{0, 0, p.Width(), p.Height()};
    // The children, the chosen one framed.
    for (int i = 0; i < static_cast<int>(c_.children.children.size()); ++i) {
        const Child& c = c_.children.children[static_cast<std::size_t>(i)];
        const Rect t = TabArea(i);
        // On the game's green, which the portraits are drawn on.
        if (i == selected_) paint::Fill(p, Rect{t.x - 4, t.y - 4, t.w + 8, t.h + 8}, b, kFrame);
        paint::Fill(p, t, b, kHeader);
        paint::Blit(p, t.x + (t.w - kTabSize) / 2, t.y + 2, Portrait(c.portrait, kTabSize), b, false);
        const std::string name = ChildName(c);
        const bool bold = i == selected_;
        Text(p, name, 20, bold, clWhite, t.x + std::max(0, (t.w - TextWidth(name, 20, bold)) / 2), t.y + kTabSize + 6);
    }
    const ChildFigures& f = figures_;
    Text(p, score_ >= 0 ? Cp("Решено слов: ") + std::to_string(score_) : Cp("Решено слов: файл успехов не читается"), 30,
         true, kInk, kChartLeft, 186);

    // Two bar charts of the last four weeks, today on the right.
    auto chart = [&](const std::array<int, kFigureDays>& values, bool minutes, const std::string& title, TColor colour) {
        const int top = minutes ? kTimeChartTop : kSolvedChartTop, height = minutes ? kTimeChartHeight : kSolvedChartHeight;
        int most = 1;
        for (const int v : values) most = std::max(most, minutes ? (v + 59) / 60 : v);
        Text(p, title + std::to_string(most) + (minutes ? Cp(" мин)") : Cp(")")), 22, false, kInk, kChartLeft, top - 34);
        paint::Fill(p, Rect{kChartLeft, top + height, kFigureDays * kBarStep, 2}, b, kSoft);
        for (int d = 0; d < kFigureDays; ++d) {
            const int v = minutes ? (values[static_cast<std::size_t>(d)] + 59) / 60 : values[static_cast<std::size_t>(d)];
            const int h = v * height / most;
            const Rect bar = BarArea(d, minutes);
            if (h > 0) paint::Fill(p, Rect{bar.x, top + height - h, bar.w, h}, b, colour);
        }
        Text(p, Cp("4 недели назад"), 16, false, kSoft, kChartLeft, top + height + 6);
        const std::string today = Cp("сегодня");
        Text(p, today, 16, false, kSoft, kChartLeft + kFigureDays * kBarStep - TextWidth(today, 16, false), top + height + 6);
    };
    chart(f.solvedPerDay, false, Cp("Слова по дням (до "), kSolvedBar);
    chart(f.secondsPerDay, true, Cp("Время игры по дням (до "), kTimeBar);

    // The letters: which it takes for which, and which go right first time.
    int x = 680, y = 70;
    Text(p, Cp("Путает буквы"), 26, true, kInk, x, y);
    y += 40;
    if (f.confused.empty()) {
        Text(p, Cp("пока ни разу"), 22, false, kSoft, x, y);
        y += 36;
    }
    for (std::size_t i = 0; i < f.confused.size() && i < 4; ++i) {
        const auto& c = f.confused[i];
        for (const auto& [letter, at] : {std::pair{c.letter, x}, std::pair{c.cell, x + 100}}) {
            if (const Picture* tile = Tile(letter, 48))
                paint::Blit(p, at, y, *tile, b, false);
            else
                Text(p, std::string(1, LetterOfNumber(letter)), 36, true, kInk, at + 10, y);
        }
        Text(p, "\x96", 30, true, kInk, x + 62, y + 6);  // an en dash between the two tiles
        Text(p, std::to_string(c.times) + Cp(" раз"), 24, false, kInk, x + 170, y + 10);
        y += 56;
    }
    auto letters = [&](auto begin, auto end) {
        std::string s;
        for (auto it = begin; it != end; ++it) s += (s.empty() ? "" : ", ") + std::string(1, LetterOfNumber(it->letter));
        return s.empty() ? Cp("пока не с чем сравнить") : s;
    };
    const std::size_t shown = std::min<std::size_t>(5, f.firstTries.size() / 2);
    Text(p, Cp("С первого раза лучше всего: ") + letters(f.firstTries.begin(), f.firstTries.begin() + static_cast<long>(shown)), 22,
         false, kInk, x, y + 6);
    Text(p, Cp("Труднее всего: ") + letters(f.firstTries.rbegin(), f.firstTries.rbegin() + static_cast<long>(shown)), 22,
         false, kInk, x, y + 40);
    y += 90;
    std::string hinted;
    for (std::size_t i = 0; i < f.hinted.size() && i < 5; ++i) hinted += (i ? ", " : "") + f.hinted[i];
    Text(p, Cp("С подсказкой: ") + (hinted.empty() ? Cp("ни одного слова") : hinted), 22, false, kInk, x, y);
    std::string slow;
    for (std::size_t i = 0; i < f.slowest.size() && i < 3; ++i)
        slow += (i ? ", " : "") + f.slowest[i].word + " " + Minutes(f.slowest[i].seconds);
    Text(p, Cp("Дольше всего: ") + (slow.empty() ? Cp("пока нечего сказать") : slow), 22, false, kInk, x, y + 36);
    if (f.damaged > 0)
        Text(p, Cp("Строк записи не прочитано: ") + std::to_string(f.damaged), 20, false, 0x0000C0, x, y + 76);
}

void ParentsCorner::PaintName(Picture& p) {
    const Rect b{0, 0, p.Width(), p.Height()};
    Text(p, renaming_ ? Cp("Новое имя и портрет") : Cp("Имя нового ребёнка и портрет"), 28, true, kInk, 24, 70);
    const Rect box{334, 130, 700, 64};
    paint::Fill(p, box, b, clWhite);
    paint::Frame3D(p, box, true, b);
    Text(p, name_ + "_", 40, true, kInk, box.x + 16, box.y + 10);
    for (int k = 0; k <= kAlphabetSize; ++k) {
        const Rect key = KeyArea(k);
        if (k < kAlphabetSize) {
            if (const Picture* tile = Tile(k + 1, kKeySize)) {
                paint::Blit(p, key.x, key.y, *tile, b, false);
                continue;
            }
        }
        paint::Fill(p, key, b, paint::kFace);
        paint::Frame3D(p, key, false, b);
        const std::string label = k < kAlphabetSize ? std::string(1, LetterOfNumber(k + 1)) : Cp("пробел");
        const int size = k < kAlphabetSize ? 40 : 16;
        Text(p, label, size, true, kInk, key.x + (key.w - TextWidth(label, size, true)) / 2, key.y + (key.h - size) / 2);
    }
    for (int n = 1; n <= kPortraits; ++n) {
        const Rect r = PortraitArea(n);
        if (n == portrait_) paint::Fill(p, Rect{r.x - 5, r.y - 5, r.w + 10, r.h + 10}, b, kFrame);
        paint::Blit(p, r.x, r.y, Portrait(n, kPortraitSize), b, false);
    }
}
