#include "formats/FormatHistory.h"
#include "formats/SavedFormats.h"
#include "mainwindow/Options.h"
#include "mainwindow/SettingsKeys.h"
#include "mainwindow/WindowSettings.h"
#include "platform/linux/JsonSettingsStore.h"
#include "platform/linux/SystemClock.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const SystemClock kClock;

// A full store: every key, ten formats in the history and n registered formats.
void writeFullStore(const QString& path, int formats) {
    JsonSettingsStore store(path, kClock);
    Options options;
    WindowSettings window;
    window.columns = {{"filename", 150}, {"path", 180}, {"size", 80}, {"lastwritetime", 100}, {"attribute", 70}};
    SavedFormats saved;
    QList<SavedFormat> list;
    for (int i = 0; i < formats; ++i)
        list.append(
            {QStringLiteral("書式 ") + QString::number(i),
             QStringLiteral("left(fn,3) & \"_\" & format(number(\"n\",1,\"n+1\"),\"00000\") & \".\" & ex & \"") +
                 QString::number(i) + QLatin1Char('"')});
    saved.replaceAll(list);
    FormatHistory history;
    for (int i = 0; i < FormatHistory::kMaxCount; ++i)
        history.addFormatToHistory(QStringLiteral("fn & \"_%1\" & ex").arg(i));
    SettingsKeys::save(
        store, options, window, [&] { saved.save(store); }, [&] { history.save(store); });
    static_cast<void>(store.save());
}

// Everything the window reads at start-up: the file, every key, the history and n registered formats.
void LoadSettings(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    writeFullStore(path, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        JsonSettingsStore store(path, kClock);
        store.load();
        Options options;
        WindowSettings window;
        SettingsKeys::load(store, options, window);
        SavedFormats saved;
        saved.load(store);
        FormatHistory history;
        history.load(store);
        if (saved.count() != state.range(0))
            state.SkipWithError("the formats did not come back");
    }
}

// Everything the window writes at shutdown, the registered formats changed, and the file replaced.
void SaveSettings(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    writeFullStore(path, static_cast<int>(state.range(0)));
    JsonSettingsStore store(path, kClock);
    store.load();
    Options options;
    WindowSettings window;
    SettingsKeys::load(store, options, window);
    SavedFormats saved;
    saved.load(store);
    FormatHistory history;
    history.load(store);
    const QList<SavedFormat> formats = saved.formats();
    for (auto _ : state) {
        saved.replaceAll(formats);
        SettingsKeys::save(
            store, options, window, [&] { saved.save(store); }, [&] { history.save(store); });
        if (!store.save().ok)
            state.SkipWithError("cannot save");
    }
}

} // namespace

BENCHMARK(LoadSettings)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveSettings)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
