#pragma once

#include "platform/SettingsTree.h"

#include <QByteArray>

#include <optional>

// The settings as a JSON document: {"<application>": {"<section>": {"<key>": "<text>", ...}, ...}}, in
// UTF-8, sections and keys in the tree's order. Any text, control characters and unpaired surrogates
// included, reads back exactly.
QByteArray settingsToJson(const SettingsTree& tree, const QString& application);

struct SettingsParse {
    std::optional<SettingsTree> tree;
    QString error; // where and why the text is not such a document
};

// Reads only that shape: any other value, a second application, invalid UTF-8 or trailing text is an
// error. A key written twice keeps its first place and its last value.
SettingsParse settingsFromJson(const QByteArray& bytes, const QString& application);
