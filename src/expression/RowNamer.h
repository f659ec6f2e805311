#pragma once

#include "expression/BuildTypes.h"

#include <memory>

// A format made ready once, then the new name of one row after another. Rows are named in list order
// when the names depend on it (sequence counters go on from row to row); otherwise in any order.
class RowNamer {
public:
    virtual ~RowNamer() = default;

    // The row's finished name and the changes the format asks for; false when the row cannot be named,
    // after the context's prompt has been told why.
    virtual bool nameRow(std::size_t index, NameChange& change) = 0;
    // Whether a row's name depends on the rows named before it.
    [[nodiscard]] virtual bool dependsOnOrder() const = 0;
    // The changes beyond the name that the format asks for, the same for every row.
    [[nodiscard]] virtual std::uint16_t changeMask() const = 0;
    // Whether a name reads a row's size or last-write time: their details are then read for every row first.
    [[nodiscard]] virtual bool readsRowDetails() const = 0;
};

// The common build: every row named in list order; the first that cannot be named stops the build.
using NamerFactory = std::unique_ptr<RowNamer> (*)(const QString& formatText, const BuildContext& context);
BuildResult buildWithNamer(const QString& formatText, const BuildContext& context, NamerFactory prepare);

// Whether the format builds and its names read the rows' details; nothing is read, and a format that does not
// build is reported to nobody.
bool formatReadsRowDetails(const QString& formatText,
                           const BuildOptions& options,
                           const Clock& clock,
                           const FileSystem& fs);

// Makes a format ready in the style it asks for. Nothing for a blank format (status Blank) and for one that
// does not build (status Failed, after the prompt has been told why).
std::unique_ptr<RowNamer> prepareNamer(const QString& formatText, const BuildContext& context, BuildStatus& status);
