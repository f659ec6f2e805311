#pragma once

#include <QString>

#include <array>
#include <vector>

// A column of the file list at its display position: its key ("filename", "path", ...) and width in pixels.
struct ColumnSetting {
    QString key;
    int width = 0;

    friend bool operator==(const ColumnSetting&, const ColumnSetting&) = default;
};

// A band of the rebar at its display position: what it holds ("toolbar", "filename", or empty for the band's
// own in creation order), whether it starts a new row, its width in twips and whether it is shown.
struct BandSetting {
    QString key;
    bool newRow = true;
    double widthTwips = 0;
    bool visible = true;

    friend bool operator==(const BandSetting&, const BandSetting&) = default;
};

// What the window keeps between starts besides the options: its place and size, the log viewer's size, the
// list's columns, the two fonts and the bands. Sizes of windows and bands are twips (15 to a pixel at 96 dpi).
struct WindowSettings {
    double topTwips = 0;
    double leftTwips = 0;
    double heightTwips = 5000;
    double widthTwips = 7000;
    double logHeightTwips = 5000;
    double logWidthTwips = 5000;
    // By display position; empty: the default widths in creation order.
    std::vector<ColumnSetting> columns;
    QString listFontName = defaultFontName();
    double listFontSize = 9;
    QString logFontName = defaultFontName();
    int logFontSize = 9;
    std::array<BandSetting, 2> bands;

    static QString defaultFontName() { return QStringLiteral("ＭＳ Ｐゴシック"); }

    friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};
