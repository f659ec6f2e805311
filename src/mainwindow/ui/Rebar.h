#pragma once

#include "mainwindow/WindowSettings.h"

#include <QObject>

#include <array>

class QMainWindow;
class QToolBar;

// CoolBar1: the two bands at the top of the window, the toolbar (key "toolbar") and the format box (key
// "filename"), as tool bars of the window's top area. The user may drag them into either order and onto one
// row or two, and hide either; a right click on them asks for the band menu. Bands are Qt's own tool bars in
// one tool bar area, a line break standing for the new-row flag.
class Rebar final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Rebar)

public:
    Rebar(QMainWindow& window, QToolBar& toolbar, QToolBar& formatBand);

    // Puts the bands in the order, rows, widths and visibility of their entries, by display position. Each
    // band holds the child its entry names; an entry without one (or naming a child already placed) holds
    // the band's own, the toolbar first.
    void restore(const std::array<BandSetting, 2>& bands);
    // The bands as they are now, by display position.
    [[nodiscard]] std::array<BandSetting, 2> state() const;

    [[nodiscard]] QToolBar& band(const QString& key) const;
    void setBandVisible(const QString& key, bool visible);

Q_SIGNALS:
    void menuRequested(const QPoint& globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] QString keyOf(const QToolBar* bar) const;

    QMainWindow& m_window;
    QToolBar& m_toolbar;
    QToolBar& m_formatBand;
    // The band keys by display position, as they last were while both were shown.
    std::array<QString, 2> m_order;
};
