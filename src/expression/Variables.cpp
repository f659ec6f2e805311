#include "expression/Variables.h"

#include "expression/Arithmetic.h"
#include "expression/NumberText.h"
#include "filelist/FileRow.h"
#include "platform/Clock.h"
#include "platform/DateValue.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"

#include <QHash>

namespace {

enum class Var : std::uint8_t {
    Name,
    FileName,
    Extension,
    Size,
    LastWriteTime,
    CreationTime,
    LastAccessTime,
    Now,
    ShortName,
    Count,
    Index,
    GetAttr,
};

const QHash<QString, Var>& variables() {
    static const QHash<QString, Var> table = {
        {QStringLiteral("name"), Var::Name},
        {QStringLiteral("filename"), Var::FileName},
        {QStringLiteral("fn"), Var::FileName},
        {QStringLiteral("extention"), Var::Extension},
        {QStringLiteral("ex"), Var::Extension},
        {QStringLiteral("size"), Var::Size},
        {QStringLiteral("lastwritetime"), Var::LastWriteTime},
        {QStringLiteral("wt"), Var::LastWriteTime},
        {QStringLiteral("creationtime"), Var::CreationTime},
        {QStringLiteral("ct"), Var::CreationTime},
        {QStringLiteral("lastaccesstime"), Var::LastAccessTime},
        {QStringLiteral("at"), Var::LastAccessTime},
        {QStringLiteral("now"), Var::Now},
        {QStringLiteral("shortname"), Var::ShortName},
        {QStringLiteral("sn"), Var::ShortName},
        {QStringLiteral("count"), Var::Count},
        {QStringLiteral("index"), Var::Index},
        {QStringLiteral("getattr"), Var::GetAttr},
    };
    return table;
}

QString timeOf(const VariableContext& context, FileTimeKind kind) {
    return numberText(getFileTimeAsDate(context.fs, context.fullPath(), kind));
}

} // namespace

std::optional<QString> variableValue(const QString& name, const VariableContext& context) {
    const auto it = variables().constFind(name);
    if (it == variables().constEnd()) {
        if (const auto counter = context.counters.value(name))
            return numberText(*counter);
        return std::nullopt;
    }
    const QString& fileName = context.row.name;
    switch (*it) {
    case Var::Name:
        return fileName;
    case Var::FileName: {
        const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
        return dot < 0 ? fileName : fileName.left(dot);
    }
    case Var::Extension: {
        const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
        return dot < 0 ? QString() : fileName.mid(dot + 1);
    }
    case Var::Size:
        return context.row.details.sizeText();
    case Var::LastWriteTime:
        return timeOf(context, FileTimeKind::LastWrite);
    case Var::CreationTime:
        return timeOf(context, FileTimeKind::Creation);
    case Var::LastAccessTime:
        return timeOf(context, FileTimeKind::LastAccess);
    case Var::Now:
        return numberText(DateValue::fromDateTime(context.clock.now()));
    case Var::ShortName:
        return QString(); // there are no short names here
    case Var::Count:
        return QString::number(context.count);
    case Var::Index:
        return QString::number(context.index);
    case Var::GetAttr:
        return QString::number(context.fs.attributes(context.fullPath()));
    }
    return std::nullopt;
}

bool variableReadsRowDetails(const QString& name) {
    const auto it = variables().constFind(name);
    return it != variables().constEnd() && *it == Var::Size;
}

const QString& RowPath::operator()() const {
    if (!m_path)
        m_path = m_row.fullPath();
    return *m_path;
}
