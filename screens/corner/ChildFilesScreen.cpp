// Moving children between devices, copies of them all, and a child's play started over.
#include "screens/corner/ChildFilesScreen.h"

#include <algorithm>

#include "game/ChildFile.h"
#include "game/ProgressFile.h"
#include "game/RecordCsv.h"
#include "game/RecordHistory.h"
#include "game/RussianWords.h"
#include "game/Session.h"
#include "game/WriteProblems.h"
#include "platform/Files.h"
#include "platform/HandToParent.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

namespace {
constexpr int kLeft = 24, kWidth = 1320;

std::string Quoted(const std::string& cp1251) { return "\xAB" + cp1251 + "\xBB"; }

// "решено 2 слова", as the figures count them.
std::string SolvedText(int score) { return Cp("решено ") + Counted(score, Cp("слово"), Cp("слова"), Cp("слов")); }
std::string SolvedText(const std::string& progressBytes) {
    try {
        return SolvedText(Session::ScoreFromStored(ParseProgress(progressBytes)));
    } catch (const GameError&) {
        return Cp("успехи не читаются");
    }
}

// The file's name for child `index`: two children shown by the same name (two girls, one
// come from another device) get files of their own, not one written over the other.
std::string FileNameFor(const ChildList& list, int index) {
    const Child& child = list.children[static_cast<std::size_t>(index)];
    const std::string name = ChildFileName(child);
    int namesakes = 0;
    for (const Child& c : list.children) namesakes += DisplayName(c) == DisplayName(child) ? 1 : 0;
    if (namesakes < 2) return name;
    const std::string ending = ".timburik";
    return name.substr(0, name.size() - ending.size()) + " " + std::to_string(index + 1) + ending;
}

std::string Listed(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}
}  // namespace

Rect ChildFilesScreen::TickArea() { return Rect{kLeft, 180, 40, 40}; }

bool ChildFilesScreen::IsChildrenFile(const std::string& utf8Path) {
    std::string end = utf8Path.size() >= 9 ? utf8Path.substr(utf8Path.size() - 9) : std::string();
    for (char& ch : end) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return end == ".timburik";
}

void ChildFilesScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnExport.OnClick = [this] { go_(Export()); };
    btnSaveChild.OnClick = [this] { go_(SaveChild()); };
    btnAddFromFile.OnClick = [this] { go_(Ask(false)); };
    btnSaveAll.OnClick = [this] { go_(SaveAll()); };
    btnRestoreAll.OnClick = [this] { go_(Ask(true)); };
    btnStartOver.OnClick = [this] { go_(StartOver()); };
    btnBack.OnClick = [this] {
        CornerStep s = CornerStep::Go(CornerStep::To::Figures);
        s.child = child_;
        go_(s);
    };
    for (Button* b : {&btnExport, &btnSaveChild, &btnAddFromFile, &btnSaveAll, &btnRestoreAll, &btnStartOver, &btnBack}) {
        window.Add(*b);
        b->Hide();
    }
}

void ChildFilesScreen::Enter(const CornerStep& step) {
    const int count = static_cast<int>(data_.children.children.size());
    if (step.child >= 0) child_ = step.child;
    child_ = std::clamp(child_, 0, count - 1);
    said_.clear();
    restoring_ = false;
    const std::pair<Button*, const char*> captions[] = {
        {&btnExport, "Выгрузить запись"},   {&btnSaveChild, "Сохранить в файл"}, {&btnAddFromFile, "Добавить из файла"},
        {&btnSaveAll, "Сохранить всё"},     {&btnRestoreAll, "Восстановить всё"}, {&btnStartOver, "Начать заново"},
        {&btnBack, "Назад"}};
    for (const auto& [b, caption] : captions) {
        painter_.FitCaption(*b, Cp(caption));
        b->Show();
    }
}

void ChildFilesScreen::Leave() {
    for (Button* b : {&btnExport, &btnSaveChild, &btnAddFromFile, &btnSaveAll, &btnRestoreAll, &btnStartOver, &btnBack})
        b->Hide();
    tickPressed_ = false;
}

CornerStep ChildFilesScreen::Pressed(int x, int y) {
    tickPressed_ = TickArea().Contains(x, y);
    return {};
}

CornerStep ChildFilesScreen::Released(int x, int y) {
    const bool pressed = tickPressed_;
    tickPressed_ = false;
    if (!pressed || !TickArea().Contains(x, y)) return {};
    withFamily_ = !withFamily_;
    return CornerStep::Repaint();
}

CornerStep ChildFilesScreen::KeyDown(Key key) {
    if (key != Key::Escape) return {};
    CornerStep s = CornerStep::Go(CornerStep::To::Figures);
    s.child = child_;
    return s;
}

CornerStep ChildFilesScreen::Export() {
    const Child& child = Shown();
    const std::filesystem::path record = c_.content.ProgressFile(child.RecordFile());
    // What came before a move of the progress is in the file the parent takes away too.
    JoinChildHistory(c_.content, child.RecordFile());
    std::string csv;
    if (const int err = RecordFileAsCsv(record, csv); err != 0)
        throw GameError(Cp("Запись ") + Quoted(DisplayName(child)) + Cp(" не читается (ошибка ") + std::to_string(err) + ").");
    const std::string name = Cp1251ToUtf8(Cp("Тимбурик - ") + DisplayName(child)) + ".csv";
    const Handed h = HandToParent(name, csv, c_.content.progressFolder);
    if (h.err != 0) throw GameError(WriteProblem(h.err, h.file));
    c_.window.ShowMessage(Cp("Запись сохранена: ") + Utf8ToCp1251(h.where));
    return {};
}

CornerStep ChildFilesScreen::SaveChild() {
    // A child saved for the first time is given the mark by which another device knows them:
    // the list is written with it before the file is made.
    const PackedFile packed = PackChild(c_.content, data_.children, child_, withFamily_, c_.ids);
    data_.outcome.childrenChanged = true;
    if (packed.err != 0) throw GameError(WriteProblem(packed.err, packed.file));
    const Handed h = HandToParent(FileNameFor(data_.children, child_), packed.bytes, c_.content.progressFolder);
    if (h.err != 0) throw GameError(WriteProblem(h.err, h.file));
    said_ = Cp("Сохранено: ") + Utf8ToCp1251(h.where);
    c_.window.ShowMessage(Cp("Сохранено: ") + Utf8ToCp1251(h.where) + Cp(". На другом устройстве откройте уголок для взрослых, ") +
                          Cp("«Файлы и копии» и «Добавить из файла»."));
    return CornerStep::Repaint();
}

CornerStep ChildFilesScreen::SaveAll() {
    const PackedFile packed = PackAll(c_.content, data_.children, c_.ids);
    data_.outcome.childrenChanged = true;
    if (packed.err != 0) throw GameError(WriteProblem(packed.err, packed.file));
    const Handed h = HandToParent(AllChildrenFileName(), packed.bytes, c_.content.progressFolder);
    if (h.err != 0) throw GameError(WriteProblem(h.err, h.file));
    said_ = Cp("Сохранено: ") + Utf8ToCp1251(h.where);
    c_.window.ShowMessage(Cp("Все дети и слова семьи сохранены: ") + Utf8ToCp1251(h.where) +
                          Cp(". На новом устройстве откройте уголок для взрослых, «Файлы и копии» и «Восстановить всё»."));
    return CornerStep::Repaint();
}

CornerStep ChildFilesScreen::Ask(bool restoring) {
    restoring_ = restoring;
    if (c_.window.GetHost().PickFile(FileToChoose::Children, HandingFolder(c_.content.progressFolder))) return {};
    // No chooser here: the file may still be dragged onto the window.
    c_.window.ShowMessage(Cp("Перетащите файл «.timburik» на это окно."));
    return {};
}

CornerStep ChildFilesScreen::Dropped(const std::string& utf8Path) {
    if (!IsChildrenFile(utf8Path)) {
        c_.window.ShowError(Cp("Это не файл детей Тимбурика: имя такого файла кончается на «.timburik»."));
        return {};
    }
    const bool restoring = restoring_;
    restoring_ = false;
    if (const int shown = TakeFile(c_, data_, utf8Path, restoring); shown >= 0) child_ = shown;
    return CornerStep::Repaint();
}

int ChildFilesScreen::TakeFile(CornerContext& c, CornerData& data, const std::string& utf8Path, bool restoring) {
    // A file from outside: its pictures and recordings must be ones the game can show and play.
    Host& host = c.window.GetHost();
    const ChildFileChecks checks{BmpReadable, [&host](std::string_view wav) { return host.SoundReadable(wav); }};
    const ChildFileRead read = ReadChildFileFrom(PathFromUtf8(utf8Path), checks);
    if (!read.problem.empty()) throw GameError(read.problem);
    if (restoring &&
        !c.window.AskYesNo(Cp("Восстановить из файла всех детей и слова семьи? У детей, которые есть и здесь, успехи станут ") +
                           Cp("такими, как в файле; записи игр соединятся, прежние файлы останутся в папке.")))
        return -1;
    const std::vector<int> same = SameChildren(read.bundle, data.children);
    std::vector<SameChildChoice> choices(same.size(), SameChildChoice::TakeFile);
    for (std::size_t i = 0; i < same.size(); ++i) {
        if (same[i] < 0 || restoring) continue;
        const Child& here = data.children.children[static_cast<std::size_t>(same[i])];
        // Which side is further on, so that "Да" is never a step back the parent did not see.
        const std::string inFile = SolvedText(read.bundle.children[i].hasProgress ? read.bundle.children[i].progress : std::string());
        std::string atHome;
        try {
            atHome = SolvedText(Session::ScoreFromStored(LoadProgressFile(c.content.ProgressFileToRead(here.progressFile))));
        } catch (const GameError&) {
            atHome = Cp("файл успехов не читается");
        }
        choices[i] = c.window.AskYesNo(Quoted(DisplayName(here)) + Cp(" уже есть в игре: здесь ") + atHome + Cp(", в файле ") + inFile +
                                       Cp(". Взять из файла успехи, имя, портрет и настройки? «Нет» оставит здешние. ") +
                                       Cp("Записи игр соединятся в любом случае."))
                         ? SameChildChoice::TakeFile
                         : SameChildChoice::KeepHere;
    }
    const TakeResult taken = TakeChildFile(c.content, data.children, data.family, read.bundle, choices, c.ids);
    // Whatever was written before a failure is the children's now: the window reads it all again.
    data.outcome.childrenChanged = true;
    data.outcome.wordsChanged = true;
    data.WordsChanged(c.content);
    if (taken.err != 0) throw GameError(WriteProblem(taken.err, taken.file));
    std::string said;
    if (!taken.added.empty()) said += Cp("Взяты из файла: ") + Listed(taken.added) + ". ";
    if (!taken.joined.empty()) said += Cp("Записи игр соединены: ") + Listed(taken.joined) + ". ";
    if (!taken.notAdded.empty())
        said += Cp("Не добавлены (в игре уже ") + std::to_string(kMaxChildren) + Cp(" детей): ") + Listed(taken.notAdded) + ". ";
    if (!taken.skippedWords.empty())
        said += Cp("Не взяты слова семьи, чьи места в списке слов здесь заняты другими: ") + Listed(taken.skippedWords) + ". ";
    if (said.empty()) said = Cp("В файле не нашлось ничего нового.");
    c.window.ShowMessage(said);
    for (const int here : SameChildren(read.bundle, data.children))
        if (here >= 0) return here;
    return -1;
}

CornerStep ChildFilesScreen::StartOver() {
    const std::string name = Quoted(DisplayName(Shown()));
    if (!c_.window.AskYesNo(Cp("Ребёнок ") + name + Cp(" начнёт заново: решённые слова и запись игр — с нуля, прежние файлы ") +
                            Cp("останутся в папке. Начать заново?")))
        return {};
    if (!c_.window.AskYesNo(Cp("Точно начать заново? Ребёнок: ") + name + ".")) return {};
    if (const int err = data_.children.StartOver(child_, c_.content); err != 0)
        throw GameError(WriteProblem(err, c_.content.ProgressFile(Shown().progressFile)));
    data_.outcome.childrenChanged = true;
    said_ = Cp("Ребёнок ") + name + Cp(" начинает заново.");
    return CornerStep::Repaint();
}

void ChildFilesScreen::Paint(Picture& p) {
    const Rect b = paint::Whole(p);
    const std::string name = Quoted(DisplayName(Shown()));
    painter_.Text(p, Cp("Файлы и копии: ") + name, 30, true, kInk, kLeft, 66);
    int y = 114;
    y += painter_.Paragraph(p,
                            Cp("«Сохранить в файл» кладёт в один файл всё о ребёнке ") + name +
                                Cp(": имя, портрет, решённые слова, запись игр и настройки. Откройте его на другом ") +
                                Cp("компьютере, планшете или в браузере кнопкой «Добавить из файла»."),
                            22, kInk, kLeft, y, kWidth);
    y += 12;
    const Rect tick = TickArea();
    paint::Fill(p, tick, b, kInk);
    paint::Fill(p, Rect{tick.x + 3, tick.y + 3, tick.w - 6, tick.h - 6}, b, clWhite);
    if (withFamily_) paint::Fill(p, Rect{tick.x + 9, tick.y + 9, tick.w - 18, tick.h - 18}, b, kGood);
    painter_.Text(p, Cp("Вместе со словами семьи, их картинками и записанными вами голосами"), 22, false, kInk, tick.x + tick.w + 14,
                  tick.y + 6);
    y = tick.y + tick.h + 24;
    y += painter_.Paragraph(p,
                            Cp("Ребёнок, который уже переходил между этими устройствами через файл, там не повторится: игра ") +
                                Cp("спросит, чьи успехи оставить, и соединит записи игр, чтобы в уголке была видна вся его игра. ") +
                                Cp("Слово семьи не возьмётся, если его место в списке слов там занято другим словом семьи."),
                            22, kInk, kLeft, y, kWidth);
    y += 12;
    y += painter_.Paragraph(p,
                            Cp("«Сохранить всё» кладёт в один файл всех детей и все слова семьи этого устройства; ") +
                                Cp("«Восстановить всё» возвращает их, например на новом компьютере."),
                            22, kInk, kLeft, y, kWidth);
    y += 12;
    y += painter_.Paragraph(p,
                            Cp("«Начать заново»: решённые слова и запись игр ребёнка ") + name +
                                Cp(" начнутся с нуля; прежние файлы останутся в папке, с «restarted-» в начале имени."),
                            22, kInk, kLeft, y, kWidth);
    if (!said_.empty()) painter_.Paragraph(p, said_, 22, kGood, kLeft, y + 16, kWidth);
}
