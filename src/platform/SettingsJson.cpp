#include "platform/SettingsJson.h"

#include <QStringDecoder>

#include <functional>

namespace {

const QString kIndent = QStringLiteral("    ");

QChar hexDigit(int value) {
    return QLatin1Char("0123456789abcdef"[value & 15]);
}

void appendEscaped(QString& out, char16_t unit) {
    out += QLatin1String("\\u");
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hexDigit(unit >> shift);
}

void appendString(QString& out, const QString& text) {
    out += QLatin1Char('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'"':
            out += QLatin1String("\\\"");
            continue;
        case u'\\':
            out += QLatin1String("\\\\");
            continue;
        case u'\n':
            out += QLatin1String("\\n");
            continue;
        case u'\r':
            out += QLatin1String("\\r");
            continue;
        case u'\t':
            out += QLatin1String("\\t");
            continue;
        default:
            break;
        }
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        // UTF-8 cannot carry half a pair; the escape can.
        if (c.unicode() < 0x20 || (c.isSurrogate() && !pair)) {
            appendEscaped(out, c.unicode());
            continue;
        }
        out += c;
        if (pair)
            out += text.at(++i);
    }
    out += QLatin1Char('"');
}

class Parser {
public:
    explicit Parser(const QString& text)
        : m_text(text) {}

    // An object whose every member value is read by member(key); false at the first fault.
    bool object(const std::function<bool(const QString&)>& member) {
        if (!consume(u'{'))
            return fail(QStringLiteral("expected an object"));
        if (consume(u'}'))
            return true;
        do {
            std::optional<QString> key = string();
            if (!key)
                return false;
            if (!consume(u':'))
                return fail(QStringLiteral("expected ':'"));
            if (!member(*key))
                return false;
        } while (consume(u','));
        return consume(u'}') || fail(QStringLiteral("expected ',' or '}'"));
    }

    std::optional<QString> string() {
        if (!consume(u'"')) {
            fail(QStringLiteral("expected a string"));
            return std::nullopt;
        }
        QString value;
        while (m_pos < m_text.size()) {
            const char16_t c = m_text.at(m_pos++).unicode();
            if (c == u'"')
                return value;
            if (c < 0x20) {
                fail(QStringLiteral("control character in a string"));
                return std::nullopt;
            }
            if (c != u'\\') {
                value += QChar(c);
                continue;
            }
            if (!escape(value))
                return std::nullopt;
        }
        fail(QStringLiteral("unterminated string"));
        return std::nullopt;
    }

    bool atEnd() {
        skipSpace();
        return m_pos == m_text.size() || fail(QStringLiteral("text after the end of the document"));
    }

    bool fail(const QString& what) {
        if (m_error.isEmpty())
            m_error = what + QStringLiteral(" at character ") + QString::number(m_pos);
        return false;
    }

    [[nodiscard]] const QString& error() const { return m_error; }

private:
    void skipSpace() {
        while (m_pos < m_text.size()) {
            const char16_t c = m_text.at(m_pos).unicode();
            if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
                return;
            ++m_pos;
        }
    }

    bool consume(char16_t wanted) {
        skipSpace();
        if (m_pos < m_text.size() && m_text.at(m_pos).unicode() == wanted) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool escape(QString& value) {
        if (m_pos >= m_text.size())
            return fail(QStringLiteral("unterminated string"));
        const char16_t c = m_text.at(m_pos++).unicode();
        switch (c) {
        case u'"':
        case u'\\':
        case u'/':
            value += QChar(c);
            return true;
        case u'b':
            value += QLatin1Char('\b');
            return true;
        case u'f':
            value += QLatin1Char('\f');
            return true;
        case u'n':
            value += QLatin1Char('\n');
            return true;
        case u'r':
            value += QLatin1Char('\r');
            return true;
        case u't':
            value += QLatin1Char('\t');
            return true;
        case u'u':
            break;
        default:
            return fail(QStringLiteral("unknown escape"));
        }
        char16_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = m_pos < m_text.size() ? hexValue(m_text.at(m_pos)) : -1;
            if (digit < 0)
                return fail(QStringLiteral("bad \\u escape"));
            unit = static_cast<char16_t>(unit * 16 + digit);
            ++m_pos;
        }
        // Halves of a pair arrive one escape at a time and join in the text.
        value += QChar(unit);
        return true;
    }

    static int hexValue(QChar c) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return u - u'0';
        if (u >= u'a' && u <= u'f')
            return u - u'a' + 10;
        if (u >= u'A' && u <= u'F')
            return u - u'A' + 10;
        return -1;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    QString m_error;
};

} // namespace

QByteArray settingsToJson(const SettingsTree& tree, const QString& application) {
    QString out = QStringLiteral("{\n");
    if (!tree.isEmpty()) {
        out += kIndent;
        appendString(out, application);
        out += QLatin1String(": {");
        bool firstSection = true;
        for (const SettingsTree::Section& section : tree.sections()) {
            out += firstSection ? QLatin1String("\n") : QLatin1String(",\n");
            firstSection = false;
            out += kIndent + kIndent;
            appendString(out, section.name);
            out += QLatin1String(": {");
            bool firstKey = true;
            for (const SettingsEntry& entry : section.entries) {
                out += firstKey ? QLatin1String("\n") : QLatin1String(",\n");
                firstKey = false;
                out += kIndent + kIndent + kIndent;
                appendString(out, entry.key);
                out += QLatin1String(": ");
                appendString(out, entry.value);
            }
            if (!firstKey)
                out += QLatin1Char('\n') + kIndent + kIndent;
            out += QLatin1Char('}');
        }
        out += QLatin1String("\n") + kIndent + QLatin1Char('}') + QLatin1Char('\n');
    }
    out += QLatin1String("}\n");
    return out.toUtf8();
}

SettingsParse settingsFromJson(const QByteArray& bytes, const QString& application) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return {std::nullopt, QStringLiteral("not UTF-8")};

    Parser parser(text);
    SettingsTree tree;
    bool seenApplication = false;
    const bool ok = parser.object([&](const QString& name) {
        if (name != application || seenApplication)
            return parser.fail(QStringLiteral("unexpected member \"") + name + QLatin1Char('"'));
        seenApplication = true;
        return parser.object([&](const QString& section) {
            return parser.object([&](const QString& key) {
                std::optional<QString> value = parser.string();
                if (!value)
                    return false;
                tree.write(section, key, *value);
                return true;
            });
        });
    });
    if (!ok || !parser.atEnd())
        return {std::nullopt, parser.error()};
    return {std::move(tree), QString()};
}
