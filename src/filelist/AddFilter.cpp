#include "filelist/AddFilter.h"

#include "platform/UserPrompt.h"

#include <QCoreApplication>

QString askWildCard(UserPrompt& prompt, const QString& current) {
    const QString text =
        QCoreApplication::translate("AddFilter",
                                    "追加可能なファイル名をワイルドカード文字(*,?)を使って設定してください。") +
        QStringLiteral("\r\n") +
        QCoreApplication::translate("AddFilter", "（空白にすると、'*.*'を指定したことになります。）") +
        QStringLiteral("\r\n\r\n") +
        QCoreApplication::translate("AddFilter", "注意：「ｷｬﾝｾﾙ」を選択すると、空白を指定したことになります。");
    const QString answer =
        prompt.input(text, QCoreApplication::translate("AddFilter", "ﾌｧｲﾙ名の設定"), current).value_or(QString());
    return answer.isEmpty() ? QStringLiteral("*.*") : answer;
}

qint32 ignoredAttributesFromChecks(const bool (&checked)[6]) {
    qint32 mask = 0;
    for (int i = 0; i < 6; ++i) {
        if (checked[i])
            mask |= 1 << i;
    }
    return mask;
}
