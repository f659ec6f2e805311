#include "expression/TextConversion.h"

#include <map>
#include <memory>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace {

// Transliterators are costly to make and are reused for every row; each thread that names rows keeps its own.
icu::Transliterator* transliterator(const char* id) {
    thread_local std::map<std::string, std::unique_ptr<icu::Transliterator>> cache;
    auto& slot = cache[id];
    if (!slot) {
        UErrorCode status = U_ZERO_ERROR;
        slot.reset(icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            slot.reset();
    }
    return slot.get();
}

QString transliterate(const QString& text, const char* id) {
    icu::Transliterator* t = transliterator(id);
    if (t == nullptr)
        return text;
    icu::UnicodeString u(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<int32_t>(text.size()));
    t->transliterate(u);
    return QString(reinterpret_cast<const QChar*>(u.getBuffer()), u.length());
}

bool isWordBreak(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\f') || c == QLatin1Char('\v') || c == QChar(0) || c == QChar(0x3000);
}

QString properCase(const QString& text) {
    QString out = text.toLower();
    bool wordStart = true;
    for (QChar& c : out) {
        if (isWordBreak(c)) {
            wordStart = true;
        } else if (wordStart) {
            c = c.toUpper();
            wordStart = false;
        }
    }
    return out;
}

} // namespace

ConversionResult convertText(const QString& text, int conversion) {
    constexpr int kKnown = 1 | 2 | 4 | 8 | 16 | 32 | 64 | 128;
    if (conversion < 0 || (conversion & ~kKnown) != 0 || (conversion & 12) == 12 || (conversion & 48) == 48 ||
        (conversion & 192) == 192)
        return {QString(), RuntimeError::InvalidCall};
    QString out = text;
    switch (conversion & 3) {
    case 1:
        out = out.toUpper();
        break;
    case 2:
        out = out.toLower();
        break;
    case 3:
        out = properCase(out);
        break;
    default:
        break;
    }
    // Widening comes before the kana change and narrowing after it, so that half-width katakana take
    // part in both.
    if (conversion & 4)
        out = transliterate(out, "Halfwidth-Fullwidth");
    if (conversion & 16)
        out = transliterate(out, "Hiragana-Katakana");
    if (conversion & 32)
        out = transliterate(out, "Katakana-Hiragana");
    if (conversion & 8)
        out = transliterate(out, "Fullwidth-Halfwidth");
    return {out, RuntimeError::None};
}
