#include "mainwindow/ui/Rebar.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QToolBar>

#include <algorithm>

namespace {

const QString kToolbarKey = QStringLiteral("toolbar");
const QString kFormatKey = QStringLiteral("filename");
constexpr double kTwipsPerPixel = 15;

// A saved width the band can take: none, or one wider than the screen, leaves the band its natural width.
int usableWidth(double twips) {
    const int pixels = static_cast<int>(twips / kTwipsPerPixel);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int widest = screen != nullptr ? screen->availableGeometry().width() : 4096;
    return pixels > 0 && pixels <= widest ? pixels : 0;
}

} // namespace

Rebar::Rebar(QMainWindow& window, QToolBar& toolbar, QToolBar& formatBand)
    : QObject(&window)
    , m_window(window)
    , m_toolbar(toolbar)
    , m_formatBand(formatBand)
    , m_order{kToolbarKey, kFormatKey} {
    for (QToolBar* bar : {&m_toolbar, &m_formatBand}) {
        bar->setMovable(true);
        bar->setFloatable(false);
        bar->setAllowedAreas(Qt::TopToolBarArea);
        bar->installEventFilter(this);
    }
}

QToolBar& Rebar::band(const QString& key) const {
    return key == kFormatKey ? m_formatBand : m_toolbar;
}

QString Rebar::keyOf(const QToolBar* bar) const {
    return bar == &m_formatBand ? kFormatKey : kToolbarKey;
}

void Rebar::restore(const std::array<BandSetting, 2>& bands) {
    // Which child each position holds; the band's own when the entry names none or one already placed.
    std::array<QString, 2> keys;
    keys[0] = bands[0].key.isEmpty() ? kToolbarKey : bands[0].key;
    keys[1] = bands[1].key.isEmpty() || bands[1].key == keys[0] ? (keys[0] == kToolbarKey ? kFormatKey : kToolbarKey)
                                                                : bands[1].key;
    if (keys[1] == keys[0])
        keys[1] = keys[0] == kToolbarKey ? kFormatKey : kToolbarKey;
    m_order = keys;
    QToolBar& first = band(keys[0]);
    QToolBar& second = band(keys[1]);
    m_window.removeToolBar(&first);
    m_window.removeToolBar(&second);
    m_window.addToolBar(Qt::TopToolBarArea, &first);
    // The first band never starts a row of its own; the second does when its entry says so.
    if (bands[1].newRow)
        m_window.addToolBarBreak(Qt::TopToolBarArea);
    m_window.addToolBar(Qt::TopToolBarArea, &second);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        QToolBar& bar = band(keys[i]);
        // A width only matters where the bands share a row; the format box then keeps what it had.
        if (!bands[1].newRow && keys[i] == kFormatKey && usableWidth(bands[i].widthTwips) > 0)
            bar.resize(usableWidth(bands[i].widthTwips), bar.height());
        bar.setVisible(bands[i].visible);
    }
}

std::array<BandSetting, 2> Rebar::state() const {
    std::array<QString, 2> order = m_order;
    // While both are shown their places tell the order: the upper one first, then the left one.
    if (!m_toolbar.isHidden() && !m_formatBand.isHidden()) {
        const QRect a = m_toolbar.geometry();
        const QRect b = m_formatBand.geometry();
        const bool toolbarFirst = a.top() != b.top() ? a.top() < b.top() : a.left() <= b.left();
        order = toolbarFirst ? std::array<QString, 2>{kToolbarKey, kFormatKey}
                             : std::array<QString, 2>{kFormatKey, kToolbarKey};
    }
    std::array<BandSetting, 2> bands;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const QToolBar& bar = band(order[i]);
        bands[i].key = order[i];
        bands[i].visible = !bar.isHidden();
        bands[i].widthTwips = bar.width() * kTwipsPerPixel;
        bands[i].newRow = i == 0 || m_window.toolBarBreak(const_cast<QToolBar*>(&bar)) ||
                          (!m_toolbar.isHidden() && !m_formatBand.isHidden() &&
                           m_toolbar.geometry().top() != m_formatBand.geometry().top());
    }
    return bands;
}

void Rebar::setBandVisible(const QString& key, bool visible) {
    if (!m_toolbar.isHidden() && !m_formatBand.isHidden())
        m_order = {state()[0].key, state()[1].key};
    band(key).setVisible(visible);
}

bool Rebar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu && (watched == &m_toolbar || watched == &m_formatBand)) {
        Q_EMIT menuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
