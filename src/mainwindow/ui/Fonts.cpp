#include "mainwindow/ui/Fonts.h"

#include <QFontDialog>

void installFontSubstitutes() {
    const struct {
        const char16_t* face;
        QStringList substitutes;
    } faces[] = {
        {u"ＭＳ Ｐゴシック", {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")}},
        {u"MS PGothic", {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")}},
        {u"ＭＳ ゴシック", {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")}},
        {u"MS Gothic", {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")}},
        {u"MS UI Gothic", {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")}},
        {u"ＭＳ Ｐ明朝", {QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")}},
        {u"ＭＳ 明朝", {QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")}},
    };
    for (const auto& face : faces)
        QFont::insertSubstitutions(QString::fromUtf16(face.face), face.substitutes);
}

std::optional<QFont> askFont(QWidget* parent, const QFont& preset, const QString& title) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, preset, parent, title, QFontDialog::DontUseNativeDialog);
    if (!ok)
        return std::nullopt;
    return font;
}

QFont fontOf(const QString& face, double points) {
    QFont font(face);
    if (points > 0)
        font.setPointSizeF(points);
    return font;
}
