#pragma once

#include <QString>

#include <functional>

class SettingsStore;
struct Options;
struct WindowSettings;

// Turns the settings store into the options and the window's values and back, key by key. A value that
// does not parse in its encoding keeps its default, each on its own. The formats' history and registered
// formats keep their own sections.
namespace SettingsKeys {

void load(const SettingsStore& store, Options& options, WindowSettings& window);
// Writes in the order the keys are first written to a new store, the registered formats and the history at
// their places; finishes with the status bar's key.
void save(SettingsStore& store,
          const Options& options,
          const WindowSettings& window,
          const std::function<void()>& saveFormats = {},
          const std::function<void()>& saveHistory = {});
// The last step of both: the status bar's switch goes to the store, so that it is there after any start.
void writeStatusBar(SettingsStore& store, const Options& options);

// "single" values: up to seven significant digits, no group separator.
QString singleText(double value);

} // namespace SettingsKeys
