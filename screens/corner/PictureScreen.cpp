// Choosing and cropping a word's picture.
#include "screens/corner/PictureScreen.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "game/WriteProblems.h"
#include "platform/Files.h"
#include "platform/PicturesFolder.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

namespace {
constexpr int kThumbnails = 6, kThumbnailSize = 110, kThumbnailStep = 130;
// A photo is cropped from a copy whose shorter side is at least this: far more than the
// frame's 200 pixels need, a fraction of a 38-megapixel photo's memory and time.
constexpr int kWorkingSide = 1200;
// The smallest frame, in the working copy's pixels: the word's picture is never scaled up.
constexpr int kSmallestFrame = kSubjectSide;
}  // namespace

struct PictureScreen::Work {
    std::mutex mutex;
    bool listed = false;
    std::vector<std::filesystem::path> files;
    std::vector<std::optional<Picture>> thumbnails;  // made so far, in the files' order
    int thumbnailsDone = 0;
    int photosAsked = 0, photosDone = 0;  // the newest one asked for is the one shown
    std::optional<Picture> photo;
    std::string problem;  // why the newest photo cannot be shown
};

Rect PictureScreen::CropArea() { return Rect{60, 110, 440, 440}; }

Rect PictureScreen::ThumbnailArea(int i) {
    return Rect{800 + (i % 3) * kThumbnailStep, 140 + (i / 3) * (kThumbnailSize + 20), kThumbnailSize, kThumbnailSize};
}

void PictureScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    btnPick.OnClick = [this] {
        if (!c_.window.GetHost().PickFile(FileToChoose::Picture, PicturesFolder()))
            c_.window.ShowMessage(Cp("Перетащите фотографию в окно игры или выберите её здесь из папки «Изображения»."));
    };
    btnSmaller.OnClick = [this] { Resize(0.8); };
    btnLarger.OnClick = [this] { Resize(1.25); };
    btnNext.OnClick = [this] { go_(Next()); };
    btnCancel.OnClick = [this] {
        CornerStep s = CornerStep::Go(CornerStep::To::FamilyWords);
        if (!newWord_) s.word = word_;
        go_(s);
    };
    for (Button* b : {&btnPick, &btnSmaller, &btnLarger, &btnNext, &btnCancel}) {
        window.Add(*b);
        b->Hide();
    }
}

void PictureScreen::Enter(const CornerStep& step) {
    word_ = step.word;
    newWord_ = step.newWord;
    photo_.reset();
    shown_ = Picture();
    crop_ = SquareCrop{};
    note_.clear();
    problem_.clear();
    listed_ = false;
    waitingPhoto_ = false;
    files_.clear();
    thumbnails_.clear();
    // A fresh worker's share: what jobs of a screen left before hand back goes nowhere.
    work_ = std::make_shared<Work>();
    c_.window.GetHost().RunInBackground([work = work_] {
        // Looked through once a screen, on the worker: a photo library may hold thousands.
        std::vector<std::filesystem::path> files = NewestPictures(PicturesFolder(), kThumbnails);
        {
            const std::lock_guard<std::mutex> lock(work->mutex);
            work->files = files;
            work->thumbnails.assign(files.size(), std::nullopt);
            work->listed = true;
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            Picture thumb(kThumbnailSize, kThumbnailSize, ColorToPixel(kPaperDark));
            try {
                const Picture p = LoadImportedPicture(files[i], kThumbnailSize);
                thumb = ScaledSquare(p, CentredCrop(p.Width(), p.Height()), kThumbnailSize);
            } catch (const std::exception&) {
                // A file that is no picture shows as an empty tile; choosing it says why.
            }
            const std::lock_guard<std::mutex> lock(work->mutex);
            work->thumbnails[i] = std::move(thumb);
            ++work->thumbnailsDone;
        }
    });
    const std::pair<Button*, const char*> captions[] = {{&btnPick, "Выбрать фото"}, {&btnSmaller, "Рамка меньше"},
                                                        {&btnLarger, "Рамка больше"}, {&btnNext, newWord_ ? "Дальше" : "Сохранить"},
                                                        {&btnCancel, "Отмена"}};
    for (const auto& [b, caption] : captions) {
        painter_.FitCaption(*b, Cp(caption));
        b->Show();
    }
    for (Button* b : {&btnSmaller, &btnLarger, &btnNext}) b->SetEnabled(false);
    Tick();  // what a host without a worker has made already
}

void PictureScreen::Leave() {
    for (Button* b : {&btnPick, &btnSmaller, &btnLarger, &btnNext, &btnCancel}) b->Hide();
    work_.reset();
    photo_.reset();
    shown_ = Picture();
    thumbnails_.clear();
    dragging_ = false;
    pressedThumbnail_ = -1;
}

bool PictureScreen::NeedsTicks() const {
    // Until what the worker makes has been taken up here, not only made.
    return work_ && (!listed_ || ThumbnailsMade() < static_cast<int>(files_.size()) || waitingPhoto_);
}

int PictureScreen::ThumbnailsMade() const {
    return static_cast<int>(std::count_if(thumbnails_.begin(), thumbnails_.end(), [](const auto& t) { return t.has_value(); }));
}

CornerStep PictureScreen::Tick() {
    if (!work_) return {};
    bool changed = false;
    std::optional<Picture> photo;
    std::string problem;
    {
        const std::lock_guard<std::mutex> lock(work_->mutex);
        if (work_->listed && !listed_) {
            listed_ = true;
            files_ = work_->files;
            thumbnails_.assign(files_.size(), std::nullopt);
            changed = true;
        }
        for (std::size_t i = 0; i < thumbnails_.size() && i < work_->thumbnails.size(); ++i)
            if (!thumbnails_[i] && work_->thumbnails[i]) {
                thumbnails_[i] = std::move(work_->thumbnails[i]);
                changed = true;
            }
        if (work_->photo) {
            photo = std::move(work_->photo);
            work_->photo.reset();
        }
        if (!work_->problem.empty()) {
            problem = std::move(work_->problem);
            work_->problem.clear();
        }
    }
    if (photo) {
        waitingPhoto_ = false;
        PhotoReady(std::move(*photo));
        changed = true;
    }
    if (!problem.empty()) {
        waitingPhoto_ = false;
        // Said on the page, where the photo would be: no box pops up from a tick.
        note_.clear();
        problem_ = problem;
        changed = true;
    }
    return changed ? CornerStep::Repaint() : CornerStep{};
}

void PictureScreen::Open(const std::filesystem::path& file) {
    note_ = Cp("Открывается фотография…");
    problem_.clear();
    waitingPhoto_ = true;
    int asked = 0;
    {
        const std::lock_guard<std::mutex> lock(work_->mutex);
        asked = ++work_->photosAsked;
    }
    c_.window.GetHost().RunInBackground([work = work_, file, asked] {
        std::optional<Picture> photo;
        std::string problem;
        try {
            photo = LoadImportedPicture(file, kWorkingSide);
        } catch (const std::exception& e) {
            problem = e.what();
        }
        const std::lock_guard<std::mutex> lock(work->mutex);
        ++work->photosDone;
        if (asked != work->photosAsked) return;  // another was chosen meanwhile
        work->photo = std::move(photo);
        work->problem = problem;
    });
}

void PictureScreen::PhotoReady(Picture photo) {
    note_.clear();
    photo_ = std::make_shared<const Picture>(std::move(photo));
    crop_ = FirstCrop(photo_->Width(), photo_->Height());
    // The photo as the crop screen shows it, scaled once: a frame dragged over it scales only this.
    const double scale = Scale();
    shown_ = Scaled(*photo_, std::max(1, static_cast<int>(photo_->Width() * scale)), std::max(1, static_cast<int>(photo_->Height() * scale)));
    for (Button* b : {&btnSmaller, &btnLarger, &btnNext}) b->SetEnabled(true);
}

double PictureScreen::Scale() const {
    const Rect a = CropArea();
    return std::min(static_cast<double>(a.w) / photo_->Width(), static_cast<double>(a.h) / photo_->Height());
}

void PictureScreen::Resize(double factor) {
    if (!photo_) return;
    const int largest = std::min(photo_->Width(), photo_->Height());
    const int side = std::clamp(static_cast<int>(std::lround(crop_.side * factor)), std::min(kSmallestFrame, largest), largest);
    crop_ = CropAround(photo_->Width(), photo_->Height(), crop_.left + crop_.side / 2, crop_.top + crop_.side / 2, side);
    go_(CornerStep::Repaint());
}

CornerStep PictureScreen::Dropped(const std::string& utf8Path) {
    Open(PathFromUtf8(utf8Path));
    Tick();
    return CornerStep::Repaint();
}

CornerStep PictureScreen::Pressed(int x, int y) {
    pressedThumbnail_ = -1;
    for (int i = 0; i < static_cast<int>(files_.size()); ++i)
        if (ThumbnailArea(i).Contains(x, y)) pressedThumbnail_ = i;
    const Rect a = CropArea();
    if (photo_ && a.Contains(x, y)) {
        const double scale = Scale();
        dragging_ = true;
        dragDx_ = static_cast<int>(std::lround((x - a.x) / scale)) - (crop_.left + crop_.side / 2);
        dragDy_ = static_cast<int>(std::lround((y - a.y) / scale)) - (crop_.top + crop_.side / 2);
    }
    return {};
}

CornerStep PictureScreen::Moved(int x, int y) {
    if (!dragging_ || !photo_) return {};
    const Rect a = CropArea();
    const double scale = Scale();
    crop_ = CropAround(photo_->Width(), photo_->Height(), static_cast<int>(std::lround((x - a.x) / scale)) - dragDx_,
                       static_cast<int>(std::lround((y - a.y) / scale)) - dragDy_, crop_.side);
    return CornerStep::Repaint();
}

CornerStep PictureScreen::Released(int x, int y) {
    dragging_ = false;
    const int pressed = pressedThumbnail_;
    pressedThumbnail_ = -1;
    if (pressed >= 0 && ThumbnailArea(pressed).Contains(x, y)) {
        Open(files_[static_cast<std::size_t>(pressed)]);
        Tick();
        return CornerStep::Repaint();
    }
    return {};
}

CornerStep PictureScreen::KeyDown(Key key) {
    if (key != Key::Escape) return {};
    CornerStep s = CornerStep::Go(CornerStep::To::FamilyWords);
    if (!newWord_) s.word = word_;
    return s;
}

CornerStep PictureScreen::Next() {
    if (!photo_) return {};
    if (newWord_) {
        CornerStep s = CornerStep::Go(CornerStep::To::Replace);
        s.word = word_;
        s.picture = photo_;
        s.crop = crop_;
        return s;
    }
    // A new picture for a word there already: that alone changes, in one replacement.
    const std::filesystem::path file = c_.content.FamilyPicture(word_);
    if (const int err = FilesOnDisk().Write(file, EncodeBmp(MakeSubjectPicture(*photo_, crop_))); err != 0)
        throw GameError(WriteProblem(err, file));
    data_.outcome.wordsChanged = true;
    CornerStep s = CornerStep::Go(CornerStep::To::FamilyWords);
    s.word = word_;
    return s;
}

void PictureScreen::Paint(Picture& p) {
    const Rect b = paint::Whole(p);
    painter_.Text(p, Cp("Картинка к слову «") + word_ + Cp("»"), 28, true, kInk, 24, 64);
    const Rect a = CropArea();
    paint::Fill(p, a, b, kPaperDark);
    if (!note_.empty()) {
        painter_.Text(p, note_, 24, true, kInk, a.x + (a.w - painter_.TextWidth(note_, 24, true)) / 2, a.y + a.h / 2 - 12);
    } else if (!problem_.empty() && !photo_) {
        painter_.Paragraph(p, problem_, 22, kWarn, a.x + 20, a.y + 150, a.w - 40);
    } else if (!photo_) {
        const std::string drop = Cp("Перетащите сюда фотографию");
        painter_.Text(p, drop, 22, false, kSoft, a.x + (a.w - painter_.TextWidth(drop, 22, false)) / 2, a.y + 190);
        const std::string or_ = files_.empty() ? Cp("или нажмите «Выбрать фото»") : Cp("или выберите её справа");
        painter_.Text(p, or_, 22, false, kSoft, a.x + (a.w - painter_.TextWidth(or_, 22, false)) / 2, a.y + 224);
    } else {
        const double scale = Scale();
        paint::Blit(p, a.x, a.y, shown_, b, false);
        const Rect frame{a.x + static_cast<int>(crop_.left * scale), a.y + static_cast<int>(crop_.top * scale),
                         static_cast<int>(crop_.side * scale), static_cast<int>(crop_.side * scale)};
        for (int t = 0; t < 4; ++t)
            for (const Rect edge : {Rect{frame.x, frame.y + t, frame.w, 1}, Rect{frame.x, frame.y + frame.h - 1 - t, frame.w, 1},
                                    Rect{frame.x + t, frame.y, 1, frame.h}, Rect{frame.x + frame.w - 1 - t, frame.y, 1, frame.h}})
                paint::Fill(p, edge, a, kFrame);
        painter_.Text(p, Cp("Двигайте рамку: так картинка будет в игре"), 20, false, kSoft, a.x, a.y + a.h + 10);
        // The preview from the shown copy; the picture saved is made from the photo itself.
        const SquareCrop c = CropAround(shown_.Width(), shown_.Height(), static_cast<int>((crop_.left + crop_.side / 2) * scale),
                                        static_cast<int>((crop_.top + crop_.side / 2) * scale),
                                        std::max(1, static_cast<int>(crop_.side * scale)));
        paint::Blit(p, 560, 110, MakeSubjectPicture(shown_, c), b, false);
    }
    if (!files_.empty()) painter_.Text(p, Cp("Из папки «Изображения»:"), 20, false, kInk, 800, 104);
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const Rect at = ThumbnailArea(static_cast<int>(i));
        if (thumbnails_[i]) {
            paint::Blit(p, at.x, at.y, *thumbnails_[i], b, false);
        } else {
            // Still being made: a tile with dots, so the parent sees the game at work.
            paint::Fill(p, at, b, kPaperDark);
            painter_.Text(p, "...", 28, true, kSoft, at.x + at.w / 2 - 16, at.y + at.h / 2 - 20);
        }
    }
    if (!listed_) painter_.Text(p, Cp("Ищем фотографии…"), 20, false, kSoft, 800, 104);
    if (!problem_.empty() && photo_) painter_.Paragraph(p, problem_, 20, kWarn, 560, 330, 220);
}
