#include "expression/RuntimeError.h"

#include <QCoreApplication>

int errorNumber(RuntimeError error) {
    return static_cast<int>(error);
}

QString errorDescription(RuntimeError error) {
    switch (error) {
    case RuntimeError::InvalidCall:
        return QCoreApplication::translate("RuntimeError", "プロシージャの呼び出し、または引数が不正です。");
    case RuntimeError::Overflow:
        return QCoreApplication::translate("RuntimeError", "オーバーフローしました。");
    case RuntimeError::OutOfMemory:
        return QCoreApplication::translate("RuntimeError", "メモリが不足しています。");
    case RuntimeError::DivisionByZero:
        return QCoreApplication::translate("RuntimeError", "0 で除算しました。");
    case RuntimeError::TypeMismatch:
        return QCoreApplication::translate("RuntimeError", "型が一致しません。");
    case RuntimeError::None:
        break;
    }
    return {};
}
