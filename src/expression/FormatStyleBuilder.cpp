#include "expression/FormatStyleBuilder.h"

#include "expression/Arithmetic.h"
#include "expression/DateText.h"
#include "expression/FormatFrontEnd.h"
#include "expression/FormatValue.h"
#include "expression/NumberText.h"
#include "expression/RowNamer.h"
#include "filelist/FileRow.h"
#include "platform/Clock.h"
#include "platform/DateValue.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>
#include <variant>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("FormatStyleBuilder", text);
}

enum class Property : std::uint8_t { BaseName, Extension, Size, LastWrite, Now };

struct PropertySegment {
    Property property;
    QString pattern;
};

enum class Radix : std::uint8_t { Decimal, Hex, Oct };

struct SequenceSegment {
    Radix radix;
    QString name;
    QString start;
    QString step;
    QString pattern;
};

// A segment that cannot work; its message is shown when the first row reaches it.
struct BadSegment {
    QString message;
};

using Part = std::variant<QString, PropertySegment, SequenceSegment, BadSegment>;

QString invalidCharsLine() {
    return QCoreApplication::translate("FormatFrontEnd", "（\\、/、:、*、?、\"、<、>、|）");
}

Part parseSegment(const QString& segment) {
    const qsizetype colon = segment.indexOf(QLatin1Char(':'));
    const QString prefix = colon < 0 ? QString() : segment.left(colon + 1).toLower();
    const QString pattern = colon < 0 ? QString() : segment.mid(colon + 1);
    if (prefix == QLatin1String("f:"))
        return PropertySegment{Property::BaseName, pattern};
    if (prefix == QLatin1String("e:"))
        return PropertySegment{Property::Extension, pattern};
    if (prefix == QLatin1String("s:"))
        return PropertySegment{Property::Size, pattern};
    if (prefix == QLatin1String("m:"))
        return PropertySegment{Property::LastWrite, pattern};
    if (prefix == QLatin1String("n:"))
        return PropertySegment{Property::Now, pattern};

    const QString crlf = QStringLiteral("\r\n");
    SequenceSegment sequence;
    QString parameters;
    if (prefix == QLatin1String("hex:") || prefix == QLatin1String("oct:")) {
        sequence.radix = prefix == QLatin1String("hex:") ? Radix::Hex : Radix::Oct;
        const qsizetype inner = pattern.indexOf(QLatin1Char(':'));
        parameters = inner < 0 ? pattern : pattern.left(inner);
        sequence.pattern = inner < 0 ? QString() : pattern.mid(inner + 1);
    } else {
        if (colon < 0)
            return BadSegment{segment + crlf + tr("書式が間違っています。") + crlf + invalidCharsLine()};
        sequence.radix = Radix::Decimal;
        parameters = segment.left(colon);
        sequence.pattern = pattern;
    }
    QStringList parts = parameters.split(QLatin1Char(','));
    if (parts.size() != 3)
        return BadSegment{parameters + crlf + tr("連番の書式が間違っています。") + crlf + invalidCharsLine()};
    if (sequence.radix == Radix::Decimal) {
        for (QString& part : parts)
            part = part.trimmed();
    }
    sequence.name = parts[0];
    sequence.start = parts[1];
    sequence.step = parts[2];
    return sequence;
}

std::vector<Part> parseFormat(const QString& text) {
    std::vector<Part> parts;
    QString literal;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('|')) {
            literal += text[i];
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('|'), i + 1);
        if (close < 0)
            continue; // a lone bar is dropped
        if (!literal.isEmpty())
            parts.emplace_back(std::exchange(literal, QString()));
        parts.push_back(parseSegment(text.mid(i + 1, close - i - 1)));
        i = close;
    }
    if (!literal.isEmpty())
        parts.emplace_back(literal);
    return parts;
}

class RowBuilder {
public:
    RowBuilder(const BuildContext& context, SequenceCounters& counters)
        : m_context(context)
        , m_counters(counters) {}

    // Appends the segment's text; false when the build must stop.
    bool append(const Part& part, const FileRow& row, QString& out) {
        if (const auto* text = std::get_if<QString>(&part)) {
            out += *text;
            return true;
        }
        if (const auto* bad = std::get_if<BadSegment>(&part)) {
            m_context.prompt.inform(bad->message, nameErrorTitle(), PromptIcon::Critical);
            return false;
        }
        if (const auto* property = std::get_if<PropertySegment>(&part))
            return appendProperty(*property, row, out);
        return appendSequence(std::get<SequenceSegment>(part), out);
    }

private:
    bool appendProperty(const PropertySegment& segment, const FileRow& row, QString& out) {
        const bool keep = m_context.options.keepUnformatted;
        const qsizetype dot = row.name.lastIndexOf(QLatin1Char('.'));
        switch (segment.property) {
        case Property::BaseName:
            out +=
                formatValue(FormatArgument::fromText(dot < 0 ? row.name : row.name.left(dot)), segment.pattern, keep);
            return true;
        case Property::Extension:
            out += formatValue(FormatArgument::fromText(dot < 0 ? QString() : row.name.mid(dot + 1)), segment.pattern,
                               keep);
            return true;
        case Property::Size: {
            const QString text = row.details.sizeText();
            const NumberRead size = readNumber(text);
            if (!size.ok() || size.value != std::floor(size.value))
                return conversionFailed(text, size.ok() ? RuntimeError::TypeMismatch : size.error);
            out += formatValue(FormatArgument::fromNumber(size.value), segment.pattern, keep);
            return true;
        }
        case Property::LastWrite: {
            const QString text = row.details.lastWriteText();
            const auto date = readDateText(text);
            if (!date)
                return conversionFailed(text, RuntimeError::TypeMismatch);
            out += formatValue(FormatArgument::fromNumber(*date), segment.pattern, keep);
            return true;
        }
        case Property::Now:
            out += formatValue(FormatArgument::fromNumber(DateValue::fromDateTime(m_context.clock.now())),
                               segment.pattern, keep);
            return true;
        }
        return true;
    }

    bool appendSequence(const SequenceSegment& segment, QString& out) {
        const NumberRead start = readNumber(segment.start);
        if (!start.ok())
            return conversionFailed(segment.start, start.error);
        const auto value = m_counters.nextSequenceValue(segment.name, start.value, segment.step, m_context.prompt);
        if (!value)
            return false;
        if (segment.radix == Radix::Decimal) {
            out += formatValue(FormatArgument::fromNumber(*value), segment.pattern, m_context.options.keepUnformatted);
            return true;
        }
        const NumberRead whole = roundToInt32(*value);
        if (!whole.ok())
            return conversionFailed(numberText(*value), whole.error);
        const auto bits = static_cast<quint32>(static_cast<qint32>(whole.value));
        const QString digits = QString::number(bits, segment.radix == Radix::Hex ? 16 : 8).toUpper();
        out += formatValue(FormatArgument::fromText(digits), segment.pattern, m_context.options.keepUnformatted);
        return true;
    }

    bool conversionFailed(const QString& text, RuntimeError error) {
        reportConversionError(m_context.prompt, text, errorNumber(error), errorDescription(error));
        return false;
    }

    const BuildContext& m_context;
    SequenceCounters& m_counters;
};

// Names rows in the segment notation; the sequence counters go on from row to row.
class FormatStyleNamer final : public RowNamer {
public:
    FormatStyleNamer(const QString& formatText, const BuildContext& context)
        : m_context(context)
        , m_parts(parseFormat(formatText))
        , m_builder(context, m_counters)
        , m_dependsOnOrder(std::any_of(m_parts.begin(),
                                       m_parts.end(),
                                       [](const Part& part) { return std::holds_alternative<SequenceSegment>(part); }))
        , m_readsRowDetails(std::any_of(m_parts.begin(), m_parts.end(), [](const Part& part) {
            const auto* property = std::get_if<PropertySegment>(&part);
            return property != nullptr &&
                   (property->property == Property::Size || property->property == Property::LastWrite);
        })) {}

    bool nameRow(std::size_t index, NameChange& change) override {
        QString name;
        for (const Part& part : m_parts) {
            if (!m_builder.append(part, m_context.rows[index], name))
                return false;
        }
        auto finished = finishName(name, FormatStyle::Format, m_context.options.deleteInvalidChars, m_context.prompt,
                                   &change.charactersRemoved);
        if (!finished)
            return false;
        setDestName(change, std::move(*finished));
        return true;
    }
    [[nodiscard]] bool dependsOnOrder() const override { return m_dependsOnOrder; }
    [[nodiscard]] std::uint16_t changeMask() const override { return 0; }
    [[nodiscard]] bool readsRowDetails() const override { return m_readsRowDetails; }

private:
    const BuildContext& m_context;
    std::vector<Part> m_parts;
    SequenceCounters m_counters;
    RowBuilder m_builder;
    bool m_dependsOnOrder;
    bool m_readsRowDetails;
};

} // namespace

std::unique_ptr<RowNamer> prepareFormatStyleNamer(const QString& formatText, const BuildContext& context) {
    return std::make_unique<FormatStyleNamer>(formatText, context);
}

BuildResult buildPlanFormatStyle(const QString& formatText, const BuildContext& context) {
    return buildWithNamer(formatText, context, prepareFormatStyleNamer);
}
