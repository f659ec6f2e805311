#include "expression/FunctionStyleBuilder.h"

#include "expression/Arithmetic.h"
#include "expression/ExprParser.h"
#include "expression/FormatFrontEnd.h"
#include "expression/FunctionLibrary.h"
#include "expression/RowNamer.h"
#include "expression/Variables.h"
#include "filelist/FileRow.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("FunctionStyleBuilder", text);
}

// Every value of a row lives until the name is joined, so their sum is bounded as each one is.
constexpr qsizetype kMaxRowText = 16 * kMaxTextLength;

// An argument made ready for evaluation: text pieces and the records whose values go between them.
struct Piece {
    QString text;
    int record = 0; // 0 for a text piece
};

struct CompiledRecord {
    enum class Kind : std::uint8_t { Literal, Variable, Call } kind;
    QString name; // the variable's or function's name
    std::vector<std::vector<Piece>> arguments;
};

std::vector<Piece> compileArgument(const QString& argument) {
    std::vector<Piece> pieces;
    qsizetype from = 0;
    while (from < argument.size()) {
        const qsizetype cr = argument.indexOf(QLatin1Char('\r'), from);
        if (cr < 0) {
            pieces.push_back({argument.mid(from), 0});
            break;
        }
        if (cr > from)
            pieces.push_back({argument.mid(from, cr - from), 0});
        pieces.push_back({QString(), argument.mid(cr + 1, kTokenRefLength - 1).toInt()});
        from = cr + kTokenRefLength;
    }
    return pieces;
}

// A kind for a message: references to literals shown as the literals in quotes.
QString readableKind(const QString& kind, const ParseTable& table) {
    QString out;
    for (const Piece& piece : compileArgument(kind)) {
        if (piece.record == 0) {
            out += piece.text;
            continue;
        }
        const ExprRecord& record = table.records.at(static_cast<std::size_t>(piece.record - 1));
        out += record.kind == QLatin1String("character")
                   ? QLatin1Char('"') + record.arguments.value(0) + QLatin1Char('"')
                   : QStringLiteral("(…)");
    }
    return out;
}

class Evaluator {
public:
    Evaluator(const BuildContext& context, std::vector<CompiledRecord> records, std::vector<int> topLevel)
        : m_context(context)
        , m_records(std::move(records))
        , m_topLevel(std::move(topLevel))
        , m_values(m_records.size()) {
        for (std::size_t r = 0; r < m_records.size(); ++r) {
            if (m_records[r].kind == CompiledRecord::Kind::Literal)
                m_values[r] = m_records[r].name;
        }
    }

    // The row's joined top-level values; nothing when the build must stop (the user has been told).
    std::optional<QString> evaluateRow(std::size_t rowIndex, NameChange& change) {
        const FileRow& row = m_context.rows[rowIndex];
        const RowPath fullPath(row);
        QStringList arguments;
        qsizetype held = 0;
        for (std::size_t r = 0; r < m_records.size(); ++r) {
            const CompiledRecord& record = m_records[r];
            switch (record.kind) {
            case CompiledRecord::Kind::Literal:
                break;
            case CompiledRecord::Kind::Variable: {
                const VariableContext variables{row,
                                                fullPath,
                                                static_cast<qsizetype>(rowIndex) + 1,
                                                static_cast<qsizetype>(m_context.rows.size()),
                                                m_context.fs,
                                                m_context.clock,
                                                m_counters};
                auto value = variableValue(record.name, variables);
                if (!value) {
                    m_context.prompt.inform(record.name + QStringLiteral("\r\n\r\n") +
                                                tr("理解不能な変数が使用されています。"),
                                            formatErrorTitle(), PromptIcon::Critical);
                    return std::nullopt;
                }
                m_values[r] = std::move(*value);
                break;
            }
            case CompiledRecord::Kind::Call: {
                arguments.clear();
                for (const auto& pieces : record.arguments) {
                    auto argument = join(pieces);
                    if (!argument)
                        return generalError(RuntimeError::OutOfMemory);
                    arguments.append(std::move(*argument));
                }
                const CallResult result = callFunction(record.name, arguments,
                                                       {m_context.fs, fullPath, change, m_counters, m_context.prompt});
                if (result.reported)
                    return std::nullopt;
                if (result.error != RuntimeError::None)
                    return generalError(result.error);
                held += result.value.size();
                if (result.value.size() > kMaxTextLength || held > kMaxRowText)
                    return generalError(RuntimeError::OutOfMemory);
                m_values[r] = result.value;
                break;
            }
            }
        }
        QString name;
        for (const int record : m_topLevel) {
            name += m_values[static_cast<std::size_t>(record - 1)];
            if (name.size() > kMaxTextLength)
                return generalError(RuntimeError::OutOfMemory);
        }
        return name;
    }

private:
    std::optional<QString> join(const std::vector<Piece>& pieces) const {
        if (pieces.size() == 1 && pieces.front().record != 0)
            return m_values[static_cast<std::size_t>(pieces.front().record - 1)];
        QString out;
        for (const Piece& piece : pieces) {
            out += piece.record == 0 ? piece.text : m_values[static_cast<std::size_t>(piece.record - 1)];
            if (out.size() > kMaxTextLength)
                return std::nullopt;
        }
        return out;
    }

    std::nullopt_t generalError(RuntimeError error) {
        m_context.prompt.inform(QStringLiteral("Error ") + QString::number(errorNumber(error)) +
                                    QStringLiteral("\r\n") + errorDescription(error),
                                QStringLiteral("Error-") + programTitle(), PromptIcon::Critical);
        return std::nullopt;
    }

    const BuildContext& m_context;
    std::vector<CompiledRecord> m_records;
    std::vector<int> m_topLevel;
    std::vector<QString> m_values;
    SequenceCounters m_counters;
};

// The check of every record in order; the compiled table, or nothing after a message.
std::optional<std::vector<CompiledRecord>> check(ParseTable& table, UserPrompt& prompt, std::uint16_t& changeMask) {
    std::vector<CompiledRecord> compiled;
    compiled.reserve(table.records.size());
    for (ExprRecord& record : table.records) {
        if (record.kind == QLatin1String("character")) {
            compiled.push_back({CompiledRecord::Kind::Literal, record.arguments.value(0), {}});
            continue;
        }
        if (record.kind == QLatin1String("function")) {
            // A record of this kind keeps the empty value it starts with.
            compiled.push_back({CompiledRecord::Kind::Literal, QString(), {}});
            continue;
        }
        if (record.kind == QLatin1String("variable")) {
            compiled.push_back({CompiledRecord::Kind::Variable, record.arguments.value(0), {}});
            continue;
        }
        const CheckOutcome outcome = checkCall(record.kind, record.arguments);
        QString problem;
        switch (outcome.problem) {
        case CheckProblem::MissingArgument:
            problem = tr("省略できない引数が指定されていません。");
            break;
        case CheckProblem::TooManyArguments:
            problem = tr("引数が多すぎます。");
            break;
        case CheckProblem::UnknownFunction:
            problem = tr("理解不能な関数が使われています。");
            break;
        case CheckProblem::None:
            break;
        }
        if (!problem.isEmpty()) {
            prompt.inform(readableKind(record.kind, table) + QStringLiteral("\r\n\r\n") + problem, formatErrorTitle(),
                          PromptIcon::Critical);
            return std::nullopt;
        }
        changeMask |= outcome.changeMaskBit;
        CompiledRecord call{CompiledRecord::Kind::Call, record.kind, {}};
        for (const QString& argument : record.arguments)
            call.arguments.push_back(compileArgument(argument));
        compiled.push_back(std::move(call));
    }
    return compiled;
}

} // namespace

namespace {

// Names rows in the function style: the table is evaluated for every row in record order.
class FunctionStyleNamer final : public RowNamer {
public:
    FunctionStyleNamer(const BuildContext& context,
                       std::vector<CompiledRecord> records,
                       std::vector<int> topLevel,
                       std::uint16_t changeMask)
        : m_context(context)
        , m_dependsOnOrder(std::any_of(records.begin(),
                                       records.end(),
                                       [](const CompiledRecord& record) {
                                           return record.kind == CompiledRecord::Kind::Call &&
                                                  record.name == QLatin1String("number");
                                       }))
        , m_changeMask(changeMask)
        , m_readsRowDetails(std::any_of(records.begin(),
                                        records.end(),
                                        [](const CompiledRecord& record) {
                                            return record.kind == CompiledRecord::Kind::Variable &&
                                                   variableReadsRowDetails(record.name);
                                        }))
        , m_evaluator(context, std::move(records), std::move(topLevel)) {}

    bool nameRow(std::size_t index, NameChange& change) override {
        const auto name = m_evaluator.evaluateRow(index, change);
        if (!name)
            return false;
        auto finished = finishName(*name, FormatStyle::Function, m_context.options.deleteInvalidChars, m_context.prompt,
                                   &change.charactersRemoved);
        if (!finished)
            return false;
        // A name of blanks alone leaves the file its own name.
        if (finished->trimmed().isEmpty())
            setDestName(change, m_context.rows[index].name);
        else
            setDestName(change, std::move(*finished));
        return true;
    }
    [[nodiscard]] bool dependsOnOrder() const override { return m_dependsOnOrder; }
    [[nodiscard]] std::uint16_t changeMask() const override { return m_changeMask; }
    [[nodiscard]] bool readsRowDetails() const override { return m_readsRowDetails; }

private:
    const BuildContext& m_context;
    bool m_dependsOnOrder;
    std::uint16_t m_changeMask;
    bool m_readsRowDetails;
    Evaluator m_evaluator;
};

} // namespace

std::unique_ptr<RowNamer> prepareFunctionStyleNamer(const QString& formatText, const BuildContext& context) {
    const auto prepared = prepareFunctionText(formatText, context.prompt);
    if (!prepared)
        return nullptr;
    auto table = parseFunctionText(*prepared, context.prompt);
    if (!table)
        return nullptr;
    std::uint16_t changeMask = 0;
    auto compiled = check(*table, context.prompt, changeMask);
    if (!compiled)
        return nullptr;
    return std::make_unique<FunctionStyleNamer>(context, std::move(*compiled), std::move(table->topLevel), changeMask);
}

BuildResult buildPlanFunctionStyle(const QString& formatText, const BuildContext& context) {
    return buildWithNamer(formatText, context, prepareFunctionStyleNamer);
}
