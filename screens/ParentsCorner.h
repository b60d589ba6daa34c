// The parents' corner: reached from the choice screen's gear past a gate a young child cannot
// pass (hold, for three seconds, the number written in words), it shows each child's figures
// from the learning record, and lets a parent add, rename and remove children, export a
// child's record, add the family's own words with their pictures, and record their own voice
// for a word or a letter (CornerWords.cpp). Its controls lie above the game's; the window holds
// them all.
#pragma once
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "game/Children.h"
#include "game/ContentLocation.h"
#include "game/FamilyWords.h"
#include "game/LearningFigures.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Window.h"

class ParentsCorner {
public:
    struct Context {
        Window& window;
        const ContentLocation& content;
        ChildList& children;
        std::function<std::time_t()> now;
        std::function<std::uint32_t()> random;
        std::function<void()> childrenChanged;  // the choice screen lays out the children again
        WordList& words;                        // the list the game plays
        std::function<void(int)> wordsChanged;  // the list read again; a line added (or 0) is played soon
        int longestWord;                        // what the board holds
    };
    explicit ParentsCorner(Context context);

    // Adds the corner's controls to the window, above everything added before.
    void AddControls();

    // The gear, from the choice screen: asks the gate's question.
    void OpenGate();
    bool GateOpen() const { return mode_ == Mode::Gate; }
    bool Open() const { return mode_ != Mode::Closed && mode_ != Mode::Gate; }
    // The gate's hold, and a recording's meter and its three seconds, count the window's ticks.
    bool NeedsTicks() const { return holding_ || recording_; }
    void Tick();
    // Keys and typing while the corner is open; false when they are not the corner's.
    bool KeyDown(Key key);
    bool TextTyped(const std::string& cp1251);
    // A picture file dropped on the window (or picked in a browser), while a word's picture
    // is being chosen.
    void FileDropped(const std::string& utf8Path);

    // The gate's question: the number asked for, and the four shown (one of them it).
    int GateAnswer() const { return answer_; }
    const std::array<int, 4>& GateNumbers() const { return numbers_; }
    int SelectedChild() const { return selected_; }
    const ChildFigures& Figures() const { return figures_; }
    const std::string& NameTyped() const { return name_; }
    const FamilyWords& Family() const { return family_; }
    // What the word screens show now, for tests: the word typed and its check, the picture
    // chosen and its crop, the bundled word picked to give way.
    const std::string& WordTyped() const { return word_; }
    const std::string& WordCheck() const { return wordCheck_; }
    const Picture& PictureChosen() const { return chosen_; }
    SquareCrop Crop() const { return crop_; }
    int LineChosen() const { return line_; }

    // Controls, in creation order.
    PictureControl imgGear{"imgGear", {1304, 636, 52, 52}};
    PictureControl imgGateShade{"imgGateShade", {0, 0, 1369, 700}};
    PictureControl imgGate{"imgGate", {284, 170, 800, 360}};
    std::array<std::unique_ptr<Button>, 4> btnGate;
    PictureControl imgCorner{"imgCorner", {0, 0, 1369, 700}};
    Button btnCornerExport{"btnCornerExport", {24, 630, 230, 52}};
    Button btnCornerAdd{"btnCornerAdd", {270, 630, 260, 52}};
    Button btnCornerRename{"btnCornerRename", {546, 630, 230, 52}};
    Button btnCornerRemove{"btnCornerRemove", {792, 630, 180, 52}};
    Button btnCornerBack{"btnCornerBack", {1165, 630, 180, 52}};
    Button btnNameErase{"btnNameErase", {334, 620, 200, 52}};
    Button btnNameDone{"btnNameDone", {584, 620, 200, 52}};
    Button btnNameCancel{"btnNameCancel", {834, 620, 200, 52}};
    Button btnCornerWords{"btnCornerWords", {988, 630, 160, 52}};
    // The word screens' buttons, whose captions and deeds change with the screen.
    std::array<std::unique_ptr<Button>, 6> btnWord;

    // Where things lie in the corner's picture, for the pointer and for tests.
    static Rect TabArea(int child);
    static Rect KeyArea(int key);  // 0..32 the letters А..Я (Ё seventh), 33 a space
    static Rect PortraitArea(int portrait);  // 1..kPortraits
    static Rect BarArea(int day, bool minutes);  // the column of a day's bar in its chart
    static Rect CardArea(int card);              // a family word's, or a bundled word's to replace
    static Rect CropArea();                      // where the picture being cropped is shown
    static Rect ThumbnailArea(int picture);      // a picture of the parent's Pictures folder

private:
    enum class Mode { Closed, Gate, Figures, Name, Words, WordText, Picture, Replace, Voice, VoiceLetters, VoiceWords };

    void CloseGate();
    void ShowFigures(int child);
    void Close();
    void StartName(bool renaming);
    void FinishName();
    void ExportRecord();
    void RemoveChild();
    void Show(Mode mode);
    void CornerPressed(int x, int y);
    void CornerMoved(int x, int y);
    void CornerReleased(int x, int y);

    // The word screens (CornerWords.cpp).
    void ShowWords();
    void StartWord();
    void WordTextDone();
    void ShowPicture();
    void PictureDone();
    void ShowReplace();
    void SaveWord();
    void RemoveWord();
    // The letters (level 0) or a level's words, to record a parent's voice for.
    void ShowVoices(int level);
    void StartVoice(int letter, const std::string& word);
    void Record();
    void StopRecording();
    void CancelRecording();  // the screen left while recording: nothing is kept
    void RecordingTick();
    void SaveVoice();
    void RestoreVoice();
    void SetButtons(std::initializer_list<std::pair<const char*, std::function<void()>>> buttons);
    void WordsPressed(int x, int y);
    void WordsReleased(int x, int y);
    void PaintWords(Picture& p);
    std::filesystem::path UserRoot() const;
    std::filesystem::path VoiceFile() const;
    // A level's words, each once, as cards: with the family's, or only the bundled ones.
    std::vector<int> LevelLines(int level, bool withFamily) const;
    std::vector<int> ReplaceableLines() const;
    std::vector<std::filesystem::path> PictureFiles() const;
    const Picture& Thumbnail(const std::filesystem::path& file, int size);

    void PaintGear(Picture& p) const;
    void PaintGate();
    void PaintCorner();
    void PaintFigures(Picture& p);
    void PaintName(Picture& p);
    void Text(Picture& p, const std::string& cp1251, int size, bool bold, TColor colour, int x, int y) const;
    int TextWidth(const std::string& cp1251, int size, bool bold) const;
    // A letter's tile at a size, from the content's letter pictures, remembered.
    const Picture* Tile(int letter, int size);
    const Picture& Portrait(int portrait, int size);

    Context c_;
    Mode mode_ = Mode::Closed;
    int answer_ = 0;
    std::array<int, 4> numbers_{};
    bool holding_ = false;
    int heldTicks_ = 0;
    int selected_ = 0;
    ChildFigures figures_;
    int score_ = -1;  // the selected child's progress file; -1 when it holds no number
    bool renaming_ = false;
    std::string name_;
    int portrait_ = 1;
    int pressedAt_ = -1;  // the key or portrait the pointer went down on, as KeyArea numbers them
    std::map<std::pair<int, int>, Picture> tiles_;
    std::map<std::pair<int, int>, Picture> portraits_;

    FamilyWords family_;
    int selectedWord_ = -1;       // a family word, in the list
    std::string word_;            // the word being added, or whose picture or voice is being made
    std::string wordCheck_;       // what is wrong with it, or at which level it plays
    bool newWord_ = false;        // adding, not changing the picture of one there
    Picture chosen_;              // the parent's picture, upright
    Picture shown_;               // and as the crop screen shows it
    SquareCrop crop_;
    bool dragging_ = false;       // the crop, by the pointer
    int dragDx_ = 0, dragDy_ = 0;
    int line_ = 0;                // the bundled word's line the new word takes
    int voiceLevel_ = -1;         // the voices' screen the voice was chosen on; -1 a family word's
    int voiceLetter_ = 0;         // the letter a voice is made for; 0 for a word
    std::string voiceWord_;       // or the word
    bool recording_ = false;
    int recordTicks_ = 0;
    std::string voiceWav_;        // the processed take, not saved yet
    std::string voiceNote_;       // what the voice screen says now
    std::vector<std::filesystem::path> pictureFiles_;  // the Pictures folder's newest, as the screen opened
    std::map<std::string, Picture> thumbnails_;
};

// The number in Russian words, 1 to 99: "семьдесят три".
std::string NumberInWords(int n);
