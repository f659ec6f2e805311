#pragma once

#include <QString>

#include <cstdint>

// What a row will be called and whether that will work, as the preview of the new names shows it.
enum class PreviewState : std::uint8_t {
    Pending,           // not named yet
    Unchanged,         // the new name is the old one
    Renamed,           // will be renamed
    CharactersRemoved, // will be renamed; characters a name cannot hold were deleted
    InUse,             // a file outside the list holds the new name
    Duplicate,         // another row gets the same new name
    Error,             // the row cannot be named
};

struct NamePreview {
    QString name; // empty while pending and for an error
    PreviewState state = PreviewState::Pending;
    QString reason; // what the tooltip says
};
