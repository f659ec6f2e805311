#include "expression/FunctionLibrary.h"

#include "expression/Arithmetic.h"
#include "expression/BuildTypes.h"
#include "expression/DateText.h"
#include "expression/NumberText.h"
#include "expression/TextConversion.h"
#include "expression/ValueFormatter.h"
#include "expression/Variables.h"
#include "platform/AttributeBits.h"
#include "platform/FileSystem.h"

#include <QHash>

#include <cmath>

namespace {

enum class Fn : std::uint8_t {
    Format,
    Mid,
    Left,
    Right,
    String,
    Len,
    Val,
    Str,
    CDate,
    Int,
    Hex,
    Oct,
    Eval,
    Number,
    InStr,
    InStrRev,
    StrConv,
    Replace,
    SetAttr,
    SetCreationTime,
    SetLastAccessTime,
    SetLastWriteTime,
};

struct FunctionRule {
    Fn fn;
    int minArgs;
    int maxArgs;
    bool firstNonEmpty;
};

const QHash<QString, FunctionRule>& rules() {
    static const QHash<QString, FunctionRule> table = {
        {QStringLiteral("format"), {Fn::Format, 0, 4, false}},
        {QStringLiteral("mid"), {Fn::Mid, 2, 3, false}},
        {QStringLiteral("left"), {Fn::Left, 2, 2, false}},
        {QStringLiteral("right"), {Fn::Right, 2, 2, false}},
        {QStringLiteral("string"), {Fn::String, 2, 2, false}},
        {QStringLiteral("len"), {Fn::Len, 1, 1, true}},
        {QStringLiteral("val"), {Fn::Val, 1, 1, true}},
        {QStringLiteral("str"), {Fn::Str, 1, 1, true}},
        {QStringLiteral("cdate"), {Fn::CDate, 1, 1, true}},
        {QStringLiteral("int"), {Fn::Int, 1, 1, true}},
        {QStringLiteral("hex"), {Fn::Hex, 1, 1, true}},
        {QStringLiteral("oct"), {Fn::Oct, 1, 1, true}},
        {QStringLiteral("eval"), {Fn::Eval, 1, 1, true}},
        {QStringLiteral("number"), {Fn::Number, 3, 3, false}},
        {QStringLiteral("instr"), {Fn::InStr, 2, 4, false}},
        {QStringLiteral("instrrev"), {Fn::InStrRev, 2, 4, false}},
        {QStringLiteral("strconv"), {Fn::StrConv, 2, 3, false}},
        {QStringLiteral("replace"), {Fn::Replace, 3, 6, false}},
        {QStringLiteral("setattr"), {Fn::SetAttr, 1, 1, true}},
        {QStringLiteral("setcreationtime"), {Fn::SetCreationTime, 1, 1, true}},
        {QStringLiteral("setlastaccesstime"), {Fn::SetLastAccessTime, 1, 1, true}},
        {QStringLiteral("setlastwritetime"), {Fn::SetLastWriteTime, 1, 1, true}},
    };
    return table;
}

void fillDefault(QStringList& arguments, qsizetype index, const QString& value) {
    while (arguments.size() <= index)
        arguments.append(QString());
    if (arguments[index].isEmpty())
        arguments[index] = value;
}

// Arguments as numbers; the first failure is kept and every later read gives 0.
class Reader {
public:
    explicit Reader(const QStringList& arguments)
        : m_arguments(arguments) {}

    [[nodiscard]] const QString& text(qsizetype i) const { return m_arguments.at(i); }
    [[nodiscard]] bool has(qsizetype i) const { return i < m_arguments.size(); }

    double real(qsizetype i) {
        const NumberRead read = readNumber(m_arguments.at(i));
        note(read.error);
        return read.value;
    }

    qint32 whole(qsizetype i) {
        const NumberRead read = readNumber(m_arguments.at(i));
        if (!read.ok()) {
            note(read.error);
            return 0;
        }
        const NumberRead rounded = roundToInt32(read.value);
        note(rounded.error);
        return static_cast<qint32>(rounded.value);
    }

    double date(qsizetype i) {
        if (const auto value = readDateText(m_arguments.at(i)))
            return *value;
        const NumberRead read = readNumber(m_arguments.at(i));
        note(read.ok() ? RuntimeError::None : RuntimeError::TypeMismatch);
        return read.value;
    }

    void note(RuntimeError error) {
        if (m_error == RuntimeError::None)
            m_error = error;
    }
    [[nodiscard]] RuntimeError error() const { return m_error; }

private:
    const QStringList& m_arguments;
    RuntimeError m_error = RuntimeError::None;
};

CallResult textResult(Reader& reader, QString value) {
    if (reader.error() != RuntimeError::None)
        return CallResult::fail(reader.error());
    return CallResult::ok(std::move(value));
}

CallResult numberResult(Reader& reader, double value) {
    if (reader.error() == RuntimeError::None && !std::isfinite(value))
        return CallResult::fail(RuntimeError::Overflow);
    return textResult(reader, numberText(value));
}

QString radixText(qint32 value, int base) {
    return QString::number(static_cast<quint32>(value), base).toUpper();
}

// The number at the start of a text: blanks anywhere are passed over, "&H" and "&O" read hex and octal.
double leadingNumber(const QString& text) {
    QString t;
    t.reserve(text.size());
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            t += c;
    }
    if (t.startsWith(QLatin1String("&h"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("&o"), Qt::CaseInsensitive)) {
        const int base = t[1].toLower() == QLatin1Char('h') ? 16 : 8;
        qsizetype end = 2;
        while (end < t.size() && QStringLiteral("0123456789abcdef").left(base).contains(t[end].toLower()))
            ++end;
        bool ok = false;
        const qint64 value = t.mid(2, end - 2).toLongLong(&ok, base);
        return ok ? static_cast<double>(value) : 0.0;
    }
    QByteArray plain;
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        plain += static_cast<char>(t[i++].unicode());
    auto digitsFrom = [&t, &plain](qsizetype& k) {
        const qsizetype start = k;
        while (k < t.size() && t[k].unicode() >= '0' && t[k].unicode() <= '9')
            plain += static_cast<char>(t[k++].unicode());
        return k > start;
    };
    bool any = digitsFrom(i);
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        plain += '.';
        ++i;
        any = digitsFrom(i) || any;
    }
    if (!any)
        return 0.0;
    if (i < t.size() && (t[i].toLower() == QLatin1Char('e') || t[i].toLower() == QLatin1Char('d'))) {
        QByteArray exponent("e");
        qsizetype k = i + 1;
        if (k < t.size() && (t[k] == QLatin1Char('+') || t[k] == QLatin1Char('-')))
            exponent += static_cast<char>(t[k++].unicode());
        const qsizetype digitsStart = k;
        while (k < t.size() && t[k].unicode() >= '0' && t[k].unicode() <= '9')
            exponent += static_cast<char>(t[k++].unicode());
        if (k > digitsStart)
            plain += exponent;
    }
    return plain.toDouble();
}

Qt::CaseSensitivity compareMode(Reader& reader, qsizetype index) {
    if (!reader.has(index) || reader.text(index).isEmpty())
        return Qt::CaseSensitive;
    const qint32 mode = reader.whole(index);
    if (mode != 0 && mode != 1)
        reader.note(RuntimeError::InvalidCall);
    return mode == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

CallResult inStr(Reader& reader, const QStringList& arguments) {
    qint32 start = 1;
    qsizetype textIndex = 0;
    if (arguments.size() >= 3) {
        start = reader.whole(0);
        textIndex = 1;
    }
    const Qt::CaseSensitivity cs = compareMode(reader, textIndex + 2);
    if (reader.error() == RuntimeError::None && start < 1)
        return CallResult::fail(RuntimeError::InvalidCall);
    const QString& text = reader.text(textIndex);
    const QString& find = reader.text(textIndex + 1);
    if (start > text.size())
        return textResult(reader, QStringLiteral("0"));
    if (find.isEmpty())
        return textResult(reader, QString::number(start));
    return textResult(reader, QString::number(text.indexOf(find, start - 1, cs) + 1));
}

CallResult inStrRev(Reader& reader) {
    const QString& text = reader.text(0);
    const QString& find = reader.text(1);
    const qint32 start = reader.has(2) && !reader.text(2).isEmpty() ? reader.whole(2) : -1;
    const Qt::CaseSensitivity cs = compareMode(reader, 3);
    if (reader.error() == RuntimeError::None && (start == 0 || start < -1))
        return CallResult::fail(RuntimeError::InvalidCall);
    const qsizetype from = start == -1 ? text.size() : start;
    if (from > text.size())
        return textResult(reader, QStringLiteral("0"));
    if (find.isEmpty())
        return textResult(reader, QString::number(from));
    // The whole match must lie at or before the start position.
    const qsizetype last = from - find.size();
    if (last < 0)
        return textResult(reader, QStringLiteral("0"));
    return textResult(reader, QString::number(text.lastIndexOf(find, last, cs) + 1));
}

CallResult replace(Reader& reader) {
    const QString& text = reader.text(0);
    const QString& find = reader.text(1);
    const QString& with = reader.text(2);
    const qint32 start = reader.whole(3);
    const qint32 count = reader.whole(4);
    const Qt::CaseSensitivity cs = compareMode(reader, 5);
    if (reader.error() != RuntimeError::None)
        return CallResult::fail(reader.error());
    if (start < 1 || count < -1)
        return CallResult::fail(RuntimeError::InvalidCall);
    if (start > text.size())
        return CallResult::ok(QString());
    const QString rest = text.mid(start - 1);
    if (find.isEmpty() || count == 0)
        return CallResult::ok(rest);
    QString out;
    qsizetype from = 0;
    qint64 done = 0;
    while (count == -1 || done < count) {
        const qsizetype at = rest.indexOf(find, from, cs);
        if (at < 0)
            break;
        out += QStringView(rest).mid(from, at - from);
        out += with;
        if (out.size() > kMaxTextLength)
            return CallResult::fail(RuntimeError::OutOfMemory);
        from = at + find.size();
        ++done;
    }
    out += QStringView(rest).mid(from);
    return CallResult::ok(out);
}

CallResult setTime(Reader& reader, double& field) {
    const double value = reader.date(0);
    if (reader.error() != RuntimeError::None)
        return CallResult::fail(reader.error());
    field = value;
    return CallResult::ok(QString());
}

} // namespace

CheckOutcome checkCall(const QString& function, QStringList& arguments) {
    const auto it = rules().constFind(function);
    if (it == rules().constEnd())
        return {CheckProblem::UnknownFunction, 0};
    const FunctionRule& rule = *it;
    if (rule.firstNonEmpty && (arguments.isEmpty() || arguments.first().isEmpty()))
        return {CheckProblem::MissingArgument, 0};
    if (arguments.size() < rule.minArgs)
        return {CheckProblem::MissingArgument, 0};
    if (arguments.size() > rule.maxArgs)
        return {CheckProblem::TooManyArguments, 0};
    std::uint16_t bit = 0;
    switch (rule.fn) {
    case Fn::Format:
        fillDefault(arguments, 0, QString());
        fillDefault(arguments, 1, QString());
        fillDefault(arguments, 2, QStringLiteral("1"));
        fillDefault(arguments, 3, QStringLiteral("1"));
        break;
    case Fn::Replace:
        fillDefault(arguments, 3, QStringLiteral("1"));
        fillDefault(arguments, 4, QStringLiteral("-1"));
        fillDefault(arguments, 5, QStringLiteral("0"));
        break;
    case Fn::SetAttr:
        bit = 2;
        break;
    case Fn::SetCreationTime:
        bit = 4;
        break;
    case Fn::SetLastAccessTime:
        bit = 8;
        break;
    case Fn::SetLastWriteTime:
        bit = 16;
        break;
    default:
        break;
    }
    return {CheckProblem::None, bit};
}

CallResult callFunction(const QString& function, const QStringList& arguments, const CallContext& context) {
    const auto it = rules().constFind(function);
    if (it == rules().constEnd())
        return CallResult::fail(RuntimeError::InvalidCall);
    Reader reader(arguments);
    switch (it->fn) {
    case Fn::Format: {
        const WeekRules week{reader.whole(2), reader.whole(3)};
        if (reader.error() == RuntimeError::None && (week.firstDayOfWeek < 0 || week.firstDayOfWeek > 7 ||
                                                     week.firstWeekOfYear < 0 || week.firstWeekOfYear > 3))
            return CallResult::fail(RuntimeError::InvalidCall);
        return textResult(reader, formatWithPattern(FormatArgument::fromText(arguments.at(0)), arguments.at(1), week));
    }
    case Fn::Mid: {
        const qint32 start = reader.whole(1);
        const qint32 length = arguments.size() > 2 ? reader.whole(2) : -1;
        if (reader.error() == RuntimeError::None && (start < 1 || (arguments.size() > 2 && length < 0)))
            return CallResult::fail(RuntimeError::InvalidCall);
        return textResult(reader, arguments.at(0).mid(start - 1, length));
    }
    case Fn::Left:
    case Fn::Right: {
        const qint32 n = reader.whole(1);
        if (reader.error() == RuntimeError::None && n < 0)
            return CallResult::fail(RuntimeError::InvalidCall);
        return textResult(reader, it->fn == Fn::Left ? arguments.at(0).left(n) : arguments.at(0).right(n));
    }
    case Fn::String: {
        const qint32 n = reader.whole(0);
        if (reader.error() != RuntimeError::None)
            return CallResult::fail(reader.error());
        if (n < 0 || arguments.at(1).isEmpty())
            return CallResult::fail(RuntimeError::InvalidCall);
        if (n > kMaxTextLength)
            return CallResult::fail(RuntimeError::OutOfMemory);
        return CallResult::ok(QString(n, arguments.at(1).at(0)));
    }
    case Fn::Len:
        return CallResult::ok(QString::number(arguments.at(0).size()));
    case Fn::Val:
        return numberResult(reader, leadingNumber(arguments.at(0)));
    case Fn::Str: {
        const double value = reader.real(0);
        const QString text = numberText(value);
        return textResult(reader, value >= 0 ? QLatin1Char(' ') + text : text);
    }
    case Fn::CDate:
        return numberResult(reader, reader.date(0));
    case Fn::Int:
        return numberResult(reader, std::floor(reader.real(0)));
    case Fn::Hex:
    case Fn::Oct: {
        const qint32 value = reader.whole(0);
        return textResult(reader, radixText(value, it->fn == Fn::Hex ? 16 : 8));
    }
    case Fn::Eval: {
        const auto value = evaluateArithmetic(arguments.at(0), context.prompt);
        return value ? CallResult::ok(numberText(*value)) : CallResult::failReported();
    }
    case Fn::Number: {
        const double start = reader.real(1);
        if (reader.error() != RuntimeError::None)
            return CallResult::fail(reader.error());
        const auto value = context.counters.nextSequenceValue(arguments.at(0), start, arguments.at(2), context.prompt);
        return value ? CallResult::ok(numberText(*value)) : CallResult::failReported();
    }
    case Fn::InStr:
        return inStr(reader, arguments);
    case Fn::InStrRev:
        return inStrRev(reader);
    case Fn::StrConv: {
        const qint32 conversion = reader.whole(1);
        if (reader.has(2) && !arguments.at(2).isEmpty())
            (void)reader.whole(2);
        if (reader.error() != RuntimeError::None)
            return CallResult::fail(reader.error());
        ConversionResult converted = convertText(arguments.at(0), conversion);
        if (converted.error != RuntimeError::None)
            return CallResult::fail(converted.error);
        return CallResult::ok(std::move(converted.text));
    }
    case Fn::Replace:
        return replace(reader);
    case Fn::SetAttr:
        context.change.attributes = applyAttributeArgument(context.fs, context.fullPath(), arguments.at(0));
        return CallResult::ok(QString());
    case Fn::SetCreationTime:
        return setTime(reader, context.change.creationTime);
    case Fn::SetLastAccessTime:
        return setTime(reader, context.change.lastAccessTime);
    case Fn::SetLastWriteTime:
        return setTime(reader, context.change.lastWriteTime);
    }
    return CallResult::fail(RuntimeError::InvalidCall);
}

qint32 applyAttributeArgument(const FileSystem& fs, const QString& path, const QString& argument) {
    const NumberRead number = readNumber(argument);
    if (number.ok()) {
        const NumberRead whole = roundToInt32(number.value);
        return whole.ok() ? static_cast<qint32>(whole.value) : AttributeBits::kMissing;
    }
    qint32 bits = fs.attributes(path);
    if (bits == AttributeBits::kMissing)
        return AttributeBits::kMissing;
    enum class Mode : std::uint8_t { None, Add, Remove } mode = Mode::None;
    for (const QChar c : argument) {
        qint32 bit = 0;
        switch (c.toLower().unicode()) {
        case '+':
            mode = Mode::Add;
            continue;
        case '-':
            mode = Mode::Remove;
            continue;
        case 'r':
            bit = AttributeBits::kReadOnly;
            break;
        case 'h':
            bit = AttributeBits::kHidden;
            break;
        case 's':
            bit = AttributeBits::kSystem;
            break;
        case 'a':
            bit = AttributeBits::kArchive;
            break;
        default:
            continue;
        }
        if (mode == Mode::Add)
            bits |= bit;
        else if (mode == Mode::Remove)
            bits &= ~bit;
    }
    return bits;
}
