// The voices: a letter is said when its tile is picked up, the word when it is solved (after
// the drum) or when the hint's tiles have landed. Voice files are optional content: the host
// says nothing for one that is missing.
#include "screens/TFWords.h"

void TFWords::SayLetter(int letter) {
    if (!VoicesOn) return;
    window_.GetHost().PlayVoice(content_.LetterVoice(letter), false);
}

void TFWords::SayWord() {
    if (!VoicesOn || board.CurrentWord.empty()) return;
    window_.GetHost().PlayVoice(content_.WordVoice(board.CurrentWord), true);
}
