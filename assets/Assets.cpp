#include "assets/Assets.h"

extern const EmbeddedFile kEmbeddedFiles[];

EmbeddedFile FindAsset(std::string_view name) {
    for (const EmbeddedFile* f = kEmbeddedFiles; f->data != nullptr; ++f)
        if (name == f->name) return *f;
    return {"", nullptr, 0};
}
