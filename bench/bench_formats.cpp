#include "formats/FormatFile.h"
#include "formats/SavedFormats.h"
#include "platform/UserPrompt.h"
#include "platform/linux/JsonSettingsStore.h"
#include "platform/linux/SystemClock.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const SystemClock kClock;

SavedFormat numbered(int i) {
    return {QStringLiteral("書式 ") + QString::number(i),
            QStringLiteral("left(fn,3) & \"_\" & format(number(\"n\",1,\"n+1\"),\"00000\") & \".\" & ex & \"") +
                QString::number(i) + QLatin1Char('"')};
}

QList<SavedFormat> numberedFormats(int from, int count) {
    QList<SavedFormat> formats;
    for (int i = from; i < from + count; ++i)
        formats.append(numbered(i));
    return formats;
}

// Imports a file of n lines, the second half repeating the first, next to 1000 registered formats; the
// added formats go to the JSON store with its one save.
void ImportFormats(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("formats.txt"));
    QList<SavedFormat> inFile = numberedFormats(1000, lines / 2);
    inFile += inFile;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(formatFileBytes(inFile)) < 0) {
        state.SkipWithError("cannot write the file to import");
        return;
    }
    file.close();
    const QList<SavedFormat> registered = numberedFormats(0, 1000);
    SilentPrompt prompt;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(dir.filePath(QStringLiteral("settings.json")));
        JsonSettingsStore store(dir.filePath(QStringLiteral("settings.json")), kClock);
        SavedFormats formats;
        formats.append(registered);
        state.ResumeTiming();
        benchmark::DoNotOptimize(importFormats(formats, store, path, prompt));
    }
    state.SetItemsProcessed(state.iterations() * lines);
}

// Rewrites the section of n changed formats and saves the store.
void SaveFormats(benchmark::State& state) {
    QTemporaryDir dir;
    JsonSettingsStore store(dir.filePath(QStringLiteral("settings.json")), kClock);
    SavedFormats formats;
    const QList<SavedFormat> numbered = numberedFormats(0, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        formats.replaceAll(numbered);
        formats.save(store);
        if (!store.save().ok)
            state.SkipWithError("cannot save");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Reads the settings file of n formats and loads them.
void LoadFormats(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    {
        JsonSettingsStore store(path, kClock);
        SavedFormats formats;
        formats.append(numberedFormats(0, static_cast<int>(state.range(0))));
        formats.save(store);
        if (!store.save().ok)
            state.SkipWithError("cannot save");
    }
    for (auto _ : state) {
        JsonSettingsStore store(path, kClock);
        benchmark::DoNotOptimize(store.load());
        SavedFormats formats;
        formats.load(store);
        benchmark::DoNotOptimize(formats.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(ImportFormats)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveFormats)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFormats)->Arg(1000)->Unit(benchmark::kMillisecond);
