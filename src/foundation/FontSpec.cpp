#include "foundation/FontSpec.h"

#include <fontconfig/fontconfig.h>

#include <cctype>
#include <memory>

namespace {
struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct ObjectSetDeleter {
    void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};

bool sameFamily(const std::string& a, const char* b) {
    std::string other(b);
    if (a.size() != other.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(other[i]))) {
            return false;
        }
    }
    return true;
}

bool familyInstalled(const std::string& family) {
    if (!FcInit()) {
        return false;
    }
    std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetBuild(FC_FAMILY, nullptr));
    std::unique_ptr<FcFontSet, FontSetDeleter> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()));
    if (!fonts) {
        return false;
    }
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &name) == FcResultMatch;
             ++n) {
            if (sameFamily(family, reinterpret_cast<const char*>(name))) {
                return true;
            }
        }
    }
    return false;
}
}  // namespace

std::optional<FontSpec> FontSpec::named(const std::string& family, double pointSize) {
    if (family.empty() || !familyInstalled(family)) {
        return std::nullopt;
    }
    return FontSpec{family, pointSize};
}
