#include "filelist/NamePattern.h"

#include <optional>
#include <vector>

namespace {

struct Token {
    enum Kind : std::uint8_t { Star, Any, Digit, Set, Literal } kind = Literal;
    QChar literal;
    bool negated = false;
    std::vector<std::pair<QChar, QChar>> ranges;

    [[nodiscard]] bool matches(QChar c) const {
        switch (kind) {
        case Any:
            return true;
        case Digit:
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        case Literal:
            return c == literal;
        case Set: {
            bool inSet = false;
            for (const auto& [low, high] : ranges) {
                if (c >= low && c <= high) {
                    inSet = true;
                    break;
                }
            }
            return inSet != negated;
        }
        case Star:
            break;
        }
        return false;
    }
};

// Every token but a star consumes exactly one character; "[]" consumes none and is dropped.
std::optional<std::vector<Token>> tokenize(const QString& pattern) {
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        Token token;
        if (c == QLatin1Char('*')) {
            if (!tokens.empty() && tokens.back().kind == Token::Star)
                continue;
            token.kind = Token::Star;
        } else if (c == QLatin1Char('?')) {
            token.kind = Token::Any;
        } else if (c == QLatin1Char('#')) {
            token.kind = Token::Digit;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = pattern.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                return std::nullopt;
            qsizetype j = i + 1;
            if (j == close) {
                i = close;
                continue;
            }
            token.kind = Token::Set;
            if (pattern[j] == QLatin1Char('!')) {
                token.negated = true;
                ++j;
            }
            for (; j < close; ++j) {
                if (j + 2 < close && pattern[j + 1] == QLatin1Char('-')) {
                    token.ranges.emplace_back(pattern[j], pattern[j + 2]);
                    j += 2;
                } else {
                    token.ranges.emplace_back(pattern[j], pattern[j]);
                }
            }
            i = close;
        } else {
            token.literal = c;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

} // namespace

bool matchesNamePattern(const QString& text, const QString& pattern) {
    const auto tokens = tokenize(pattern);
    if (!tokens)
        return false;
    const auto& t = *tokens;
    // Backtracking to the last star only: linear in practice, never exponential.
    std::size_t p = 0;
    qsizetype n = 0;
    std::optional<std::size_t> starP;
    qsizetype starN = 0;
    while (n < text.size()) {
        if (p < t.size() && t[p].kind == Token::Star) {
            starP = p++;
            starN = n;
        } else if (p < t.size() && t[p].matches(text[n])) {
            ++p;
            ++n;
        } else if (starP) {
            p = *starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < t.size() && t[p].kind == Token::Star)
        ++p;
    return p == t.size();
}

bool passesAddFilter(const QString& name, const QString& wildCard) {
    return wildCard == QLatin1String("*.*") || matchesNamePattern(name.toLower(), wildCard.toLower());
}
