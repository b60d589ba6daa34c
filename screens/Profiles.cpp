// Choosing a profile and a level, and the progress file that keeps each child's score.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Errors.h"
#include "screens/TFWords.h"

namespace {
constexpr int kMaxStoredScore = 136;
constexpr int kScoreWhenTooHigh = 2;
constexpr std::size_t kMaxNumberChars = 32;

[[noreturn]] void InvalidNumber() { throw GameError("Invalid numeric input"); }

// One integer as the progress file holds it: decimal with an optional sign, or hexadecimal
// after "$", "x", "X", "0x" or "0X". Anything else is not a number.
std::int64_t ParseNumber(const std::string& token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) negative = token[i++] == '-';
    const std::string rest = token.substr(i);
    std::size_t hexStart = std::string::npos;
    if (!negative && i == 0) {
        if (rest.starts_with("0x") || rest.starts_with("0X")) hexStart = 2;
        else if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) hexStart = 1;
    }
    if (hexStart != std::string::npos) {
        std::uint64_t v = 0;
        int significant = 0;
        if (hexStart >= rest.size()) InvalidNumber();
        for (std::size_t k = hexStart; k < rest.size(); ++k) {
            const char c = rest[k];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else InvalidNumber();
            if (v != 0 || d != 0) ++significant;
            if (significant > 8) InvalidNumber();
            v = v * 16 + static_cast<std::uint64_t>(d);
        }
        return static_cast<std::int64_t>(v);
    }
    if (rest.empty()) InvalidNumber();
    std::int64_t v = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') InvalidNumber();
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) InvalidNumber();
    }
    if (negative) v = -v;
    if (v > 2147483647LL) InvalidNumber();
    return v;
}
}  // namespace

int TFWords::LoadProgress(const std::string& name) {
    std::FILE* f = std::fopen((directory_ / name).c_str(), "rb");
    if (f == nullptr) return 0;  // no progress yet (or the file is locked): start from 0
    std::string token;
    int c;
    while ((c = std::fgetc(f)) != EOF && c <= ' ') {
    }
    while (c != EOF && c > ' ' && token.size() < kMaxNumberChars) {
        token += static_cast<char>(c);
        c = std::fgetc(f);
    }
    const bool readFailed = std::ferror(f) != 0;
    std::fclose(f);
    if (readFailed) return 0;
    if (token.empty()) return 0;
    return static_cast<int>(static_cast<std::uint64_t>(ParseNumber(token)) & 0xFF);
}

void TFWords::SaveProgress() {
    // A score below zero exists only between a hint and the next picture; saving its low
    // eight bits would come back as 255 and then as 2, so it is kept as 0.
    const int value = Score < 0 ? 0 : (Score & 0xFF);
    const std::string digits = std::to_string(value);
    const std::filesystem::path file = directory_ / ProgressFileName;
    const std::filesystem::path temp = directory_ / (ProgressFileName + ".tmp");

    // Read-only marks are honoured by their mode bits, since the game may run as root, whom
    // the system itself would let through.
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(file.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) throw GameError(WriteErrorText(EACCES));
        mode = st.st_mode & 07777;
    }
    if (::stat(directory_.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) throw GameError(WriteErrorText(EACCES));

    // The new score goes to a temporary file that replaces the old one only once it is
    // safely on disk: a full disk or a power cut never leaves a half-written score.
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) throw GameError(WriteErrorText(errno));
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw GameError(WriteErrorText(err));
    };
    std::size_t done = 0;
    while (done < digits.size()) {
        const ssize_t n = ::write(fd, digits.data() + done, digits.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw GameError(WriteErrorText(err));
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw GameError(WriteErrorText(err));
    }
    // Make the rename itself durable.
    const int dirFd = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

void TFWords::ChooseProfile(const std::string& fileName, PictureControl& other) {
    ProgressFileName = fileName;
    const int value = LoadProgress(ProgressFileName);
    Score = value > kMaxStoredScore ? kScoreWhenTooHigh : value;
    other.Hide();
    ShowScore();
    const int earned = Score / kRewardEvery;
    for (int n = 1; n <= kRewardFlags; ++n) RewardFlags[n] = n <= earned;
    ShowRewardIcons();
    for (Label* l : {&lblWhite, &lblYellow, &lblPurple, &lblBlack}) l->Show();
}

void TFWords::ImgAClick() { ChooseProfile("Confif.cnf", imgE); }
void TFWords::imgEClick() { ChooseProfile("Confis.cnf", ImgA); }

void TFWords::ChooseLevel(int level) {
    Level = level;
    btn_podskazka.Show();
    imgSubj.Show();
    btExit.Show();
    for (Control* c : std::initializer_list<Control*>{&imgVybor, &imgE, &ImgA, &lblWhite, &lblYellow, &lblPurple,
                                                      &lblBlack})
        c->Hide();
}
