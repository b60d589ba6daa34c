// The corner's word screens: the family's own words (a word typed, its picture from a photo,
// the bundled word of its level it takes the place of, the parent's voice for it), and a
// parent's voice for any letter or word. Everything is written into the user's own content
// folder, over the installed content, with the files the game and the checker already read.
#include <algorithm>
#include <cmath>
#include <system_error>

#include "game/Puzzle.h"
#include "platform/Files.h"
#include "platform/HandToParent.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/VoiceProcessing.h"
#include "screens/ParentsCorner.h"

namespace {

constexpr TColor kInk = 0x202020;
constexpr TColor kSoft = 0x606060;
constexpr TColor kFrame = 0x00A0FF;
constexpr TColor kWarn = 0x0000C0;
constexpr TColor kPaperDark = 0xD0E4F0;
// Four rows of twelve: the longest level's words, with room for the buttons below.
constexpr int kCardSize = 92, kCardStep = 112, kCardsPerRow = 12, kCardRows = 4;
constexpr int kThumbnails = 6, kThumbnailSize = 110, kThumbnailStep = 130;
// The recording's three seconds, in the window's 10 ms ticks.
constexpr int kRecordTicks = static_cast<int>(kMaxVoiceSeconds * 100);

const char* const kLevelNames[] = {"", "белый", "жёлтый", "фиолетовый", "чёрный"};
const char* const kOnLevel[] = {"", "на белом уровне", "на жёлтом уровне", "на фиолетовом уровне", "на чёрном уровне"};

bool IsPictureFile(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".bmp";
}

std::string Utf8Of(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

}  // namespace

Rect ParentsCorner::CardArea(int card) {
    const int left = (1369 - kCardsPerRow * kCardStep + (kCardStep - kCardSize)) / 2;
    return Rect{left + (card % kCardsPerRow) * kCardStep, 104 + (card / kCardsPerRow) * (kCardSize + 32), kCardSize, kCardSize};
}

Rect ParentsCorner::CropArea() { return Rect{60, 110, 440, 440}; }

Rect ParentsCorner::ThumbnailArea(int i) {
    return Rect{800 + (i % 3) * kThumbnailStep, 140 + (i / 3) * (kThumbnailSize + 20), kThumbnailSize, kThumbnailSize};
}

std::filesystem::path ParentsCorner::UserRoot() const {
    return c_.content.roots.empty() ? std::filesystem::path() : c_.content.roots.front();
}

void ParentsCorner::SetButtons(std::initializer_list<std::pair<const char*, std::function<void()>>> buttons) {
    std::size_t i = 0;
    for (const auto& [caption, deed] : buttons) {
        Button& b = *btnWord[i++];
        b.SetCaption(Cp(caption));
        b.OnClick = deed;
        b.SetEnabled(true);
        b.Show();
    }
    for (; i < btnWord.size(); ++i) btnWord[i]->Hide();
}

// --- The family's words -----------------------------------------------------------------

void ParentsCorner::ShowWords() {
    family_ = FamilyWords::Load(UserRoot());
    if (selectedWord_ >= static_cast<int>(family_.words.size())) selectedWord_ = -1;
    Show(Mode::Words);
    const bool chosen = selectedWord_ >= 0;
    SetButtons({{"Добавить слово", [this] { StartWord(); }},
                {"Другая картинка", [this] { word_ = family_.words[static_cast<std::size_t>(selectedWord_)].word;
                                             newWord_ = false;
                                             ShowPicture(); }},
                {"Записать голос", [this] { voiceLevel_ = -1;
                                            StartVoice(0, family_.words[static_cast<std::size_t>(selectedWord_)].word); }},
                {"Убрать слово", [this] { RemoveWord(); }},
                {"Голоса игры", [this] { ShowVoices(0); }},
                {"Назад", [this] { ShowFigures(selected_); }}});
    for (std::size_t i = 1; i <= 3; ++i) btnWord[i]->SetEnabled(chosen);
}

void ParentsCorner::StartWord() {
    word_.clear();
    wordCheck_ = CheckFamilyWord(word_, c_.longestWord, c_.words);
    newWord_ = true;
    Show(Mode::WordText);
    SetButtons({{"Стереть", [this] { KeyDown(Key::Backspace); }},
                {"Дальше", [this] { WordTextDone(); }},
                {"Отмена", [this] { ShowWords(); }}});
}

void ParentsCorner::WordTextDone() {
    if (!CheckFamilyWord(word_, c_.longestWord, c_.words).empty()) return;
    ShowPicture();
}

// --- Its picture ------------------------------------------------------------------------

std::vector<std::filesystem::path> ParentsCorner::PictureFiles() const {
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> found;
    const std::filesystem::path folder = PicturesFolder();
    std::error_code ec;
    if (!folder.empty())
        for (const auto& e : std::filesystem::directory_iterator(folder, ec))
            if (e.is_regular_file(ec) && IsPictureFile(e.path())) found.emplace_back(e.last_write_time(ec), e.path());
    // The newest first: the photo just taken is the one a parent looks for.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::filesystem::path> files;
    for (std::size_t i = 0; i < found.size() && i < static_cast<std::size_t>(kThumbnails); ++i)
        files.push_back(found[i].second);
    return files;
}

const Picture& ParentsCorner::Thumbnail(const std::filesystem::path& file, int size) {
    const std::string key = Utf8Of(file) + "|" + std::to_string(size);
    if (const auto it = thumbnails_.find(key); it != thumbnails_.end()) return it->second;
    Picture thumb(size, size, ColorToPixel(kPaperDark));
    try {
        const Picture p = LoadImportedPicture(file);
        const SquareCrop c = CentredCrop(p.Width(), p.Height());
        Picture square(c.side, c.side);
        for (int y = 0; y < c.side; ++y)
            for (int x = 0; x < c.side; ++x) square.Set(x, y, p.At(c.left + x, c.top + y));
        thumb = Scaled(square, size, size);
    } catch (const GameError&) {
        // A file that is no picture shows as an empty tile; choosing it says why.
    }
    return thumbnails_.emplace(key, std::move(thumb)).first->second;
}

void ParentsCorner::ShowPicture() {
    chosen_ = Picture();
    crop_ = SquareCrop{};
    // The folder is looked through once a screen, not at each frame of a crop being dragged.
    pictureFiles_ = PictureFiles();
    Show(Mode::Picture);
    SetButtons({{"Выбрать фото", [this] {
                     if (!c_.window.GetHost().PickPicture())
                         c_.window.ShowMessage(Cp("Перетащите фотографию в окно игры или выберите её здесь из папки «Изображения»."));
                 }},
                {"Дальше", [this] { PictureDone(); }},
                {"Отмена", [this] { ShowWords(); }}});
    btnWord[1]->SetEnabled(false);
}

void ParentsCorner::FileDropped(const std::string& utf8Path) {
    if (mode_ != Mode::Picture) return;
    chosen_ = LoadImportedPicture(PathFromUtf8(utf8Path));  // a file that is no picture is said so
    crop_ = CentredCrop(chosen_.Width(), chosen_.Height());
    // The photo as the crop screen shows it, scaled once: a frame dragged over a photo of many
    // megapixels scales only this.
    const Rect a = CropArea();
    const double scale = std::min(static_cast<double>(a.w) / chosen_.Width(), static_cast<double>(a.h) / chosen_.Height());
    shown_ = Scaled(chosen_, std::max(1, static_cast<int>(chosen_.Width() * scale)),
                    std::max(1, static_cast<int>(chosen_.Height() * scale)));
    btnWord[1]->SetEnabled(true);
    imgCorner.PaintLater();
}

void ParentsCorner::PictureDone() {
    if (chosen_.Empty()) return;
    if (!newWord_) {
        // A new picture for a word there already: that alone changes.
        const std::string bmp = EncodeBmp(MakeSubjectPicture(chosen_, crop_));
        const std::filesystem::path file = UserRoot() / "subjects" / PathFromUtf8(Cp1251ToUtf8(word_) + ".bmp");
        if (const int err = MakePrivateFolder(file.parent_path()); err != 0) throw GameError(WriteErrorText(err));
        if (const int err = ReplaceFile(file, bmp); err != 0) throw GameError(WriteErrorText(err));
        ShowWords();
        return;
    }
    ShowReplace();
}

// --- The bundled word it replaces -------------------------------------------------------

std::vector<int> ParentsCorner::LevelLines(int level, bool withFamily) const {
    std::vector<int> lines;
    if (level == 0) return lines;
    const EntryRange range = RangeOfLevel(level);
    for (int k = range.first; k <= range.last && static_cast<int>(lines.size()) < kCardRows * kCardsPerRow; ++k) {
        const std::string& entry = c_.words.entries[k];
        bool family = false;
        for (const FamilyWord& w : family_.words) family = family || w.line == k;
        bool twice = false;
        for (int j : lines) twice = twice || c_.words.entries[j] == entry;
        if (!entry.empty() && (withFamily || !family) && !twice) lines.push_back(k);
    }
    return lines;
}

std::vector<int> ParentsCorner::ReplaceableLines() const {
    return LevelLines(LevelForLength(static_cast<int>(word_.size()), c_.longestWord), false);
}

void ParentsCorner::ShowReplace() {
    line_ = 0;
    Show(Mode::Replace);
    SetButtons({{"Сохранить слово", [this] { SaveWord(); }}, {"Отмена", [this] { ShowWords(); }}});
    btnWord[0]->SetEnabled(false);
}

void ParentsCorner::SaveWord() {
    if (line_ == 0 || chosen_.Empty()) return;
    const std::filesystem::path root = UserRoot();
    const std::filesystem::path picture = root / "subjects" / PathFromUtf8(Cp1251ToUtf8(word_) + ".bmp");
    // The picture first, then the list's line and the note: should the list refuse, the
    // picture goes again, and the game is as it was.
    const std::string bmp = EncodeBmp(MakeSubjectPicture(chosen_, crop_));
    if (const int err = MakePrivateFolder(picture.parent_path()); err != 0) throw GameError(WriteErrorText(err));
    if (const int err = ReplaceFile(picture, bmp); err != 0) throw GameError(WriteErrorText(err));
    FamilyWords changed = family_;
    changed.words.push_back(FamilyWord{word_, line_, c_.words.entries[line_]});
    int err = WriteListLine(c_.content.WordList(), root / "Words.str", line_, word_);
    if (err == 0) err = changed.Save(root);
    if (err != 0) {
        std::error_code ec;
        std::filesystem::remove(picture, ec);
        throw GameError(WriteErrorText(err));
    }
    family_ = changed;
    c_.wordsChanged(line_);
    const int level = LevelForLength(static_cast<int>(word_.size()), c_.longestWord);
    c_.window.ShowMessage(Cp("Слово ") + "\xAB" + word_ + "\xBB" + Cp(" добавлено: оно выпадет в ближайшей игре ") +
                          Cp(kOnLevel[level]) + Cp(". Теперь можно записать его голосом."));
    selectedWord_ = static_cast<int>(family_.words.size()) - 1;
    voiceLevel_ = -1;
    StartVoice(0, word_);
}

void ParentsCorner::RemoveWord() {
    if (selectedWord_ < 0) return;
    const FamilyWord w = family_.words[static_cast<std::size_t>(selectedWord_)];
    const std::string back = w.replaced.empty() ? std::string() : Cp(" Вернётся слово ") + "\xAB" + w.replaced + "\xBB.";
    if (!c_.window.AskYesNo(Cp("Убрать слово ") + "\xAB" + w.word + "\xBB" + Cp(" с его картинкой и голосом?") + back)) return;
    const std::filesystem::path root = UserRoot();
    FamilyWords changed = family_;
    changed.words.erase(changed.words.begin() + selectedWord_);
    int err = WriteListLine(c_.content.WordList(), root / "Words.str", w.line, w.replaced);
    if (err == 0) err = changed.Save(root);
    if (err != 0) throw GameError(WriteErrorText(err));
    std::error_code ec;
    std::filesystem::remove(root / "subjects" / PathFromUtf8(Cp1251ToUtf8(w.word) + ".bmp"), ec);
    std::filesystem::remove(root / "Sounds" / "Words" / PathFromUtf8(Cp1251ToUtf8(w.word) + ".wav"), ec);
    family_ = changed;
    selectedWord_ = -1;
    c_.wordsChanged(0);
    ShowWords();
}

// --- A voice ----------------------------------------------------------------------------

std::filesystem::path ParentsCorner::VoiceFile() const {
    const std::filesystem::path sounds = UserRoot() / "Sounds";
    return voiceLetter_ != 0 ? sounds / "Letters" / (std::to_string(voiceLetter_) + ".wav")
                             : sounds / "Words" / PathFromUtf8(Cp1251ToUtf8(voiceWord_) + ".wav");
}

void ParentsCorner::ShowVoices(int level) {
    voiceLevel_ = level;
    Show(level == 0 ? Mode::VoiceLetters : Mode::VoiceWords);
    SetButtons({{"Буквы", [this] { ShowVoices(0); }}, {"Белый", [this] { ShowVoices(1); }},
                {"Жёлтый", [this] { ShowVoices(2); }}, {"Фиолетовый", [this] { ShowVoices(3); }},
                {"Чёрный", [this] { ShowVoices(4); }}, {"Назад", [this] { ShowWords(); }}});
    btnWord[static_cast<std::size_t>(level)]->SetEnabled(false);  // the one shown
}

void ParentsCorner::StartVoice(int letter, const std::string& word) {
    voiceLetter_ = letter;
    voiceWord_ = word;
    voiceWav_.clear();
    voiceNote_ = Cp("Нажмите «Записать» и скажите ") +
                 (letter ? Cp("букву.") : Cp("слово.")) + Cp(" Запись идёт до трёх секунд.");
    recording_ = false;
    Show(Mode::Voice);
    std::error_code ec;
    // Only where the game's own voice lies beneath the parent's can the parent's be taken away.
    const bool own = c_.content.roots.size() > 1 && std::filesystem::exists(VoiceFile(), ec);
    SetButtons({{"Записать", [this] { Record(); }},
                {"Прослушать", [this] { c_.window.GetHost().PlayVoice(VoiceFile(), false); }},
                {"Вернуть голос игры", [this] { RestoreVoice(); }},
                {"Готово", [this] { voiceLevel_ >= 0 ? ShowVoices(voiceLevel_) : ShowWords(); }}});
    btnWord[1]->SetEnabled(std::filesystem::exists(VoiceFile(), ec) ||
                           std::filesystem::exists(voiceLetter_ ? c_.content.LetterVoice(voiceLetter_)
                                                                : c_.content.WordVoice(voiceWord_), ec));
    btnWord[2]->SetEnabled(own);
}

void ParentsCorner::Record() {
    Host& host = c_.window.GetHost();
    if (recording_) {
        StopRecording();
        return;
    }
    if (!host.OpenMicrophone()) {
        voiceNote_ = Cp("Микрофона нет, или играм запрещено его слушать: голос не записать.");
        imgCorner.PaintLater();
        return;
    }
    host.StartRecording();
    recording_ = true;
    recordTicks_ = 0;
    btnWord[0]->SetCaption(Cp("Стоп"));
    voiceNote_ = Cp("Говорите…");
    imgCorner.PaintLater();
}

void ParentsCorner::StopRecording() {
    Host& host = c_.window.GetHost();
    recording_ = false;
    btnWord[0]->SetCaption(Cp("Записать"));
    int rate = 0;
    const std::vector<std::int16_t> samples = host.StopRecording(rate);
    const bool heard = host.MicrophoneHeard();
    host.CloseMicrophone();
    imgCorner.PaintLater();
    if (!heard) {
        voiceNote_ = Cp("Микрофон ничего не услышал: он не подключён, или играм запрещено его слушать.");
        return;
    }
    try {
        voiceWav_ = ProcessVoice(samples, 1, rate).wav;
    } catch (const GameError& e) {
        voiceNote_ = e.what();
        return;
    }
    SaveVoice();
}

void ParentsCorner::RecordingTick() {
    // The meter follows the voice; three seconds are a word's most.
    imgCorner.PaintLater();
    if (++recordTicks_ >= kRecordTicks) StopRecording();
}

void ParentsCorner::CancelRecording() {
    Host& host = c_.window.GetHost();
    recording_ = false;
    int rate = 0;
    host.StopRecording(rate);
    host.CloseMicrophone();
    btnWord[0]->SetCaption(Cp("Записать"));
}

void ParentsCorner::SaveVoice() {
    const std::filesystem::path file = VoiceFile();
    if (const int err = MakePrivateFolder(file.parent_path()); err != 0) throw GameError(WriteErrorText(err));
    if (const int err = ReplaceFile(file, voiceWav_); err != 0) throw GameError(WriteErrorText(err));
    voiceNote_ = Cp("Записано. Так и будет звучать в игре.");
    c_.window.GetHost().PlayVoice(file, false);
    btnWord[1]->SetEnabled(true);
    btnWord[2]->SetEnabled(c_.content.roots.size() > 1);
    imgCorner.PaintLater();
}

void ParentsCorner::RestoreVoice() {
    std::error_code ec;
    std::filesystem::remove(VoiceFile(), ec);
    voiceNote_ = Cp("Снова звучит голос игры.");
    btnWord[2]->SetEnabled(false);
    imgCorner.PaintLater();
}

// --- The pointer on the word screens -----------------------------------------------------

void ParentsCorner::WordsPressed(int x, int y) {
    const int cards = mode_ == Mode::Words       ? static_cast<int>(family_.words.size())
                      : mode_ == Mode::Replace    ? static_cast<int>(ReplaceableLines().size())
                      : mode_ == Mode::VoiceWords ? static_cast<int>(LevelLines(voiceLevel_, true).size())
                                                  : 0;
    for (int i = 0; i < cards; ++i)
        if (CardArea(i).Contains(x, y)) pressedAt_ = i;
    if (mode_ == Mode::Picture) {
        const int files = static_cast<int>(pictureFiles_.size());
        for (int i = 0; i < files; ++i)
            if (ThumbnailArea(i).Contains(x, y)) pressedAt_ = i;
    }
    if (mode_ == Mode::VoiceLetters || mode_ == Mode::WordText)
        for (int k = 0; k < kAlphabetSize; ++k)
            if (KeyArea(k).Contains(x, y)) pressedAt_ = k;
    if (mode_ == Mode::Picture && !chosen_.Empty() && CropArea().Contains(x, y)) {
        const Rect a = CropArea();
        const double scale = std::min(static_cast<double>(a.w) / chosen_.Width(), static_cast<double>(a.h) / chosen_.Height());
        dragging_ = true;
        dragDx_ = static_cast<int>(std::lround((x - a.x) / scale)) - (crop_.left + crop_.side / 2);
        dragDy_ = static_cast<int>(std::lround((y - a.y) / scale)) - (crop_.top + crop_.side / 2);
    }
}

void ParentsCorner::CornerMoved(int x, int y) {
    if (!dragging_ || mode_ != Mode::Picture || chosen_.Empty()) return;
    const Rect a = CropArea();
    const double scale = std::min(static_cast<double>(a.w) / chosen_.Width(), static_cast<double>(a.h) / chosen_.Height());
    crop_ = CropAround(chosen_.Width(), chosen_.Height(), static_cast<int>(std::lround((x - a.x) / scale)) - dragDx_,
                       static_cast<int>(std::lround((y - a.y) / scale)) - dragDy_, crop_.side);
    imgCorner.PaintLater();
}

void ParentsCorner::WordsReleased(int x, int y) {
    dragging_ = false;
    const int pressed = pressedAt_;
    pressedAt_ = -1;
    if (pressed < 0) return;
    if (mode_ == Mode::Words && CardArea(pressed).Contains(x, y)) {
        selectedWord_ = pressed;
        ShowWords();
    } else if (mode_ == Mode::Replace && CardArea(pressed).Contains(x, y)) {
        const std::vector<int> lines = ReplaceableLines();
        line_ = lines[static_cast<std::size_t>(pressed)];
        btnWord[0]->SetEnabled(true);
        imgCorner.PaintLater();
    } else if (mode_ == Mode::Picture && ThumbnailArea(pressed).Contains(x, y)) {
        FileDropped(Utf8Of(pictureFiles_[static_cast<std::size_t>(pressed)]));
    } else if (mode_ == Mode::VoiceWords && CardArea(pressed).Contains(x, y)) {
        StartVoice(0, c_.words.entries[LevelLines(voiceLevel_, true)[static_cast<std::size_t>(pressed)]]);
    } else if (mode_ == Mode::VoiceLetters && KeyArea(pressed).Contains(x, y) && pressed < kAlphabetSize) {
        StartVoice(pressed + 1, {});
    } else if (mode_ == Mode::WordText && KeyArea(pressed).Contains(x, y) && pressed < kAlphabetSize) {
        if (word_.size() < kMaxLetters) word_ += LetterOfNumber(pressed + 1);
        wordCheck_ = CheckFamilyWord(word_, c_.longestWord, c_.words);
    }
    imgCorner.PaintLater();
}

// --- Painting ---------------------------------------------------------------------------

void ParentsCorner::PaintWords(Picture& p) {
    const Rect b{0, 0, p.Width(), p.Height()};
    auto card = [&](int i, const Picture& picture, const std::string& caption, bool framed) {
        const Rect r = CardArea(i);
        if (framed) paint::Fill(p, Rect{r.x - 5, r.y - 5, r.w + 10, r.h + 10}, b, kFrame);
        paint::Blit(p, r.x, r.y, Scaled(picture, r.w, r.h), b, false);
        Text(p, caption, 18, framed, kInk, r.x + std::max(0, (r.w - TextWidth(caption, 18, framed)) / 2), r.y + r.h + 6);
    };
    auto subject = [&](const std::string& word) -> Picture {
        try {
            return LoadBmpFile(c_.content.SubjectPicture(word));
        } catch (const GameError&) {
            return Picture(kCardSize, kCardSize, ColorToPixel(kPaperDark));
        }
    };
    switch (mode_) {
        case Mode::Words:
            Text(p, Cp("Слова семьи"), 28, true, kInk, 24, 64);
            if (family_.words.empty())
                Text(p, Cp("Пока нет: «Добавить слово» — имя ребёнка, «МАМА», кличка кошки…"), 24, false, kSoft, 24, 130);
            for (std::size_t i = 0; i < family_.words.size() && i < kCardRows * kCardsPerRow; ++i)
                card(static_cast<int>(i), subject(family_.words[i].word), family_.words[i].word,
                     static_cast<int>(i) == selectedWord_);
            break;
        case Mode::WordText: {
            Text(p, Cp("Новое слово, заглавными буквами"), 28, true, kInk, 24, 64);
            const Rect box{334, 110, 700, 64};
            paint::Fill(p, box, b, clWhite);
            paint::Frame3D(p, box, true, b);
            Text(p, word_ + "_", 40, true, kInk, box.x + 16, box.y + 10);
            const int level = LevelForLength(static_cast<int>(word_.size()), c_.longestWord);
            const std::string check = !wordCheck_.empty() ? wordCheck_
                                      : Cp("Подходит, букв: ") + std::to_string(word_.size()) + Cp(", уровень ") + Cp(kLevelNames[level]) + ".";
            Text(p, check, 22, false, wordCheck_.empty() ? 0x008000 : kWarn, 334, 184);
            for (int k = 0; k < kAlphabetSize; ++k) {
                const Rect key = KeyArea(k);
                if (const Picture* tile = Tile(k + 1, key.w)) paint::Blit(p, key.x, key.y, *tile, b, false);
            }
            break;
        }
        case Mode::Picture: {
            Text(p, Cp("Картинка к слову «") + word_ + Cp("»"), 28, true, kInk, 24, 64);
            const Rect a = CropArea();
            paint::Fill(p, a, b, kPaperDark);
            if (chosen_.Empty()) {
                Text(p, Cp("Перетащите сюда фотографию"), 22, false, kSoft, a.x + 60, a.y + 190);
                Text(p, Cp("или выберите её справа"), 22, false, kSoft, a.x + 90, a.y + 224);
            } else {
                const double scale = std::min(static_cast<double>(a.w) / chosen_.Width(), static_cast<double>(a.h) / chosen_.Height());
                paint::Blit(p, a.x, a.y, shown_, b, false);
                const Rect frame{a.x + static_cast<int>(crop_.left * scale), a.y + static_cast<int>(crop_.top * scale),
                                 static_cast<int>(crop_.side * scale), static_cast<int>(crop_.side * scale)};
                for (int t = 0; t < 4; ++t)
                    for (const Rect edge : {Rect{frame.x, frame.y + t, frame.w, 1}, Rect{frame.x, frame.y + frame.h - 1 - t, frame.w, 1},
                                            Rect{frame.x + t, frame.y, 1, frame.h}, Rect{frame.x + frame.w - 1 - t, frame.y, 1, frame.h}})
                        paint::Fill(p, edge, a, kFrame);
                Text(p, Cp("Двигайте рамку: так картинка будет в игре"), 20, false, kSoft, a.x, a.y + a.h + 10);
                // The preview from the shown copy; the picture saved is made from the photo itself.
                const SquareCrop c = CropAround(shown_.Width(), shown_.Height(),
                                                static_cast<int>((crop_.left + crop_.side / 2) * scale),
                                                static_cast<int>((crop_.top + crop_.side / 2) * scale),
                                                std::max(1, static_cast<int>(crop_.side * scale)));
                paint::Blit(p, 560, 110, MakeSubjectPicture(shown_, c), b, false);
            }
            const std::vector<std::filesystem::path>& files = pictureFiles_;
            if (!files.empty()) Text(p, Cp("Из папки «Изображения»:"), 20, false, kInk, 800, 64 + 40);
            for (std::size_t i = 0; i < files.size(); ++i) {
                const Rect at = ThumbnailArea(static_cast<int>(i));
                paint::Blit(p, at.x, at.y, Thumbnail(files[i], at.w), b, false);
            }
            break;
        }
        case Mode::Replace: {
            Text(p, Cp("Вместо какого слова уровня будет «") + word_ + Cp("»?"), 28, true, kInk, 24, 64);
            const std::vector<int> lines = ReplaceableLines();
            for (std::size_t i = 0; i < lines.size(); ++i)
                card(static_cast<int>(i), subject(c_.words.entries[lines[i]]), c_.words.entries[lines[i]], lines[i] == line_);
            break;
        }
        case Mode::Voice: {
            const std::string what = voiceLetter_ ? Cp("буквы «") + std::string(1, LetterOfNumber(voiceLetter_)) + Cp("»")
                                                  : Cp("слова «") + voiceWord_ + Cp("»");
            Text(p, Cp("Ваш голос для ") + what, 28, true, kInk, 24, 64);
            Text(p, voiceNote_, 24, false, kInk, 24, 140);
            const Rect meter{24, 200, 600, 40};
            paint::Fill(p, meter, b, kPaperDark);
            if (recording_) {
                const double level = c_.window.GetHost().RecordingLevel();
                paint::Fill(p, Rect{meter.x, meter.y, static_cast<int>(meter.w * std::clamp(level, 0.0, 1.0)), meter.h}, b, 0x00B000);
                paint::Fill(p, Rect{meter.x, meter.y + meter.h + 6, meter.w * recordTicks_ / kRecordTicks, 6}, b, kFrame);
            }
            break;
        }
        case Mode::VoiceWords: {
            Text(p, Cp("Какое слово записать вашим голосом?"), 28, true, kInk, 24, 64);
            const std::vector<int> lines = LevelLines(voiceLevel_, true);
            for (std::size_t i = 0; i < lines.size(); ++i)
                card(static_cast<int>(i), subject(c_.words.entries[lines[i]]), c_.words.entries[lines[i]], false);
            break;
        }
        case Mode::VoiceLetters:
            Text(p, Cp("Какую букву записать вашим голосом? Слова — по уровням, внизу."), 28, true, kInk, 24, 64);
            for (int k = 0; k < kAlphabetSize; ++k) {
                const Rect key = KeyArea(k);
                if (const Picture* tile = Tile(k + 1, key.w)) paint::Blit(p, key.x, key.y, *tile, b, false);
            }
            break;
        default: break;
    }
}
