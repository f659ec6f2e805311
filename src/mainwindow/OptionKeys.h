#pragma once

#include "mainwindow/Options.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <variant>

// How a value is written in the settings store.
enum class SettingEncoding : std::uint8_t {
    Boolean, // "True" or "False"
    Integer, // decimal text
    Text,
};

// One value of the options: where the settings keep it, how, the member of Options that holds it while the
// program runs, and the check-mark menu item that shows it, if it has one. The value at first start is the
// member's value in a default Options.
struct OptionKey {
    const char* section; // nullptr: not kept between starts
    const char* key;
    SettingEncoding encoding;
    std::variant<bool Options::*, int Options::*, QString Options::*> member;
    const char* action;  // objectName of the menu item, or nullptr
    const char* caption; // the menu item's caption, to be translated in the context "MainWindow"
};

// Every value of the options, in the order the menus show their items.
std::span<const OptionKey> optionKeys();
// The switch shown by the menu item of that objectName, if it is one.
const OptionKey* optionForAction(QStringView objectName);

// The value as the settings write it, and read back: nothing when the text does not parse in its encoding.
QString encodeOption(const Options& options, const OptionKey& option);
bool decodeOption(Options& options, const OptionKey& option, const QString& text);

// "True" or "False" as written; read back any letter case of those, or a number (non-zero is true).
QString encodeBoolean(bool value);
std::optional<bool> decodeBoolean(const QString& text);
