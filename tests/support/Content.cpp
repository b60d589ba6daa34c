#include "tests/support/Content.h"

#include "platform/toolkit/Text1251.h"

TColor LetterColour(int n) {
    return static_cast<TColor>((40 + n * 6) | ((250 - n * 5) << 8) | ((20 + n * 7) << 16));
}

void WriteContent(const TempDir& dir, const std::vector<std::string>& words, ContentOptions options) {
    if (options.words) {
        std::string text;
        for (const std::string& w : words) text += Utf8ToCp1251(w) + "\r\n";
        dir.Write("Words.str", text);
    }
    if (options.cover) dir.Write("pz91.bmp", EncodeBmp24(SolidPicture(90, 90, kCoverColour)));
    if (options.letters)
        for (int n = 1; n <= 33; ++n)
            dir.Write("Morvadel/Буквы/one1/" + std::to_string(n) + ".bmp",
                      EncodeBmp24(SolidPicture(90, 90, LetterColour(n))));
    if (options.subjects)
        for (const std::string& w : words)
            if (!dir.Exists("subjects/" + w + ".bmp"))
                dir.Write("subjects/" + w + ".bmp", EncodeBmp24(SolidPicture(200, 200, kSubjectColour)));
    if (options.sounds) {
        dir.Write("Sounds/Drum1.wav", MakeWav({}));
        dir.Write("Sounds/Beep.wav", MakeWav({}));
    }
}

std::vector<std::string> Repeat(const std::string& word, int times) {
    return std::vector<std::string>(static_cast<std::size_t>(times), word);
}

std::string MakeWav(const WavParts& w) {
    std::string fmt;
    Put16(fmt, w.format);
    Put16(fmt, w.channels);
    Put32(fmt, w.rate);
    Put32(fmt, w.rate * w.blockAlign);
    Put16(fmt, w.blockAlign);
    Put16(fmt, w.bits);
    std::string body = "WAVEfmt ";
    Put32(body, static_cast<unsigned>(fmt.size()));
    body += fmt + "data";
    Put32(body, w.dataSizeClaimed < 0 ? static_cast<unsigned>(w.samples.size()) : static_cast<unsigned>(w.dataSizeClaimed));
    body += w.samples;
    std::string file = "RIFF";
    Put32(file, static_cast<unsigned>(body.size()));
    return file + body;
}

std::string SilentWav(double seconds, unsigned rate) {
    WavParts w;
    w.rate = rate;
    w.bits = 16;
    w.blockAlign = 2;
    w.samples.assign(static_cast<std::size_t>(seconds * rate) * 2, '\0');
    return MakeWav(w);
}
