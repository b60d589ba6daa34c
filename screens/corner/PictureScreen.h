// A word's picture from a photo: dropped on the window, chosen in the system's file chooser,
// or pressed among the newest of the parent's Pictures folder; then a square frame moved (and
// made smaller or larger) over the part to show. Photos are read and their thumbnails made on
// the host's worker, so the window answers while a large one is read; a sign says so.
#pragma once
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class PictureScreen : public CornerScreen {
public:
    PictureScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Moved(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;
    CornerStep Dropped(const std::string& utf8Path) override;
    bool NeedsTicks() const override;
    CornerStep Tick() override;

    // For tests: the photo as it is cropped, and the frame on it.
    const Picture* Photo() const { return photo_.get(); }
    SquareCrop Crop() const { return crop_; }
    bool Busy() const { return NeedsTicks(); }
    const std::vector<std::filesystem::path>& Files() const { return files_; }
    int ThumbnailsMade() const;
    const std::string& Problem() const { return problem_; }
    static Rect CropArea();
    static Rect ThumbnailArea(int picture);

    Button btnPick{"btnPickPhoto", corner::ButtonArea(0, 5)};
    Button btnSmaller{"btnFrameSmaller", corner::ButtonArea(1, 5)};
    Button btnLarger{"btnFrameLarger", corner::ButtonArea(2, 5)};
    Button btnNext{"btnPictureNext", corner::ButtonArea(3, 5)};
    Button btnCancel{"btnPictureCancel", corner::ButtonArea(4, 5)};

    // What the worker hands back; shared with its jobs, which outlive a screen left meanwhile.
    struct Work;

private:
    void Open(const std::filesystem::path& file);
    void Resize(double factor);
    void PhotoReady(Picture photo);
    CornerStep Next();
    double Scale() const;  // of the photo as the crop area shows it

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    std::string word_;
    bool newWord_ = false;
    std::shared_ptr<Work> work_;
    std::vector<std::filesystem::path> files_;
    std::vector<std::optional<Picture>> thumbnails_;
    std::shared_ptr<const Picture> photo_;  // the parent's photo, upright, at a size to crop from
    Picture shown_;                         // and as the crop area shows it
    SquareCrop crop_;
    std::string note_;     // what is being done
    std::string problem_;  // why the photo chosen last cannot be used
    bool listed_ = false;  // the Pictures folder has been looked through
    bool waitingPhoto_ = false;  // a photo chosen is being read
    bool dragging_ = false;
    int dragDx_ = 0, dragDy_ = 0;
    int pressedThumbnail_ = -1;
};
