#include "mainwindow/OptionKeys.h"

#include <QtGlobal>

#include <algorithm>

namespace {

const OptionKey kOptionKeys[] = {
    // Files
    {"Settings", "WildCard", SettingEncoding::Text, &Options::wildCard, nullptr, nullptr},
    {"Settings", "FileAttributes", SettingEncoding::Integer, &Options::ignoredAttributes, nullptr, nullptr},
    {"Folder", "Check", SettingEncoding::Boolean, &Options::moveToFolder, "mnuMoveToFolder",
     QT_TRANSLATE_NOOP("MainWindow", "下記のﾌｫﾙﾀﾞに移動(&M)")},
    {"Folder", "TargetFolder", SettingEncoding::Text, &Options::targetFolder, nullptr, nullptr},
    {"Settings", "AlwaysCopy", SettingEncoding::Boolean, &Options::copy, "mnuCopy",
     QT_TRANSLATE_NOOP("MainWindow", "常にﾌｧｲﾙをｺﾋﾟｰ(&C)")},
    {"Settings", "Recycled", SettingEncoding::Boolean, &Options::recycled, "mnuRecycled",
     QT_TRANSLATE_NOOP("MainWindow", "削除時にごみ箱へ移動(&R)")},
    // File names
    {"Settings", "DelNoUseChr", SettingEncoding::Boolean, &Options::deleteInvalidChars, "mnuNoUseChr",
     QT_TRANSLATE_NOOP("MainWindow", "ﾌｧｲﾙ名に使えない文字を自動消去(&N)")},
    {"Settings", "NoFormat", SettingEncoding::Boolean, &Options::keepUnformatted, "mnuNoFormat",
     QT_TRANSLATE_NOOP("MainWindow", "書式のないFormat関数の式は変換しない(&D)")},
    {nullptr, nullptr, SettingEncoding::Boolean, &Options::renameOnCollision, "mnuRENAMEONCOLLISION",
     QT_TRANSLATE_NOOP("MainWindow", "重複したﾌｧｲﾙ名を避ける(&R)")},
    {"Settings", "RenumberOnCollition", SettingEncoding::Boolean, &Options::renumberOnCollision,
     "mnuRenumberOnCollition", QT_TRANSLATE_NOOP("MainWindow", "重複したﾌｧｲﾙ名に連番を付ける(&C)")},
    // Other
    {"Settings", "ClearAfterRename", SettingEncoding::Boolean, &Options::clearAfterRename, "mnuClearAfterRename",
     QT_TRANSLATE_NOOP("MainWindow", "変換後にﾘｽﾄをｸﾘｱ(&A)")},
    {"Settings", "FunctionStyle", SettingEncoding::Boolean, &Options::alwaysFunction, "mnuAlwaysFunction",
     QT_TRANSLATE_NOOP("MainWindow", "書式を常に関数形式と理解する(&F)")},
    {"Settings", "NoErrorUI", SettingEncoding::Boolean, &Options::noErrorUi, "mnuNOERRORUI",
     QT_TRANSLATE_NOOP("MainWindow", "ｴﾗｰが起きてもﾕｰｻﾞｰｲﾝﾀｰﾌｪｲｽを表示しない(&E)")},
    {"Settings", "NoConfirmation", SettingEncoding::Boolean, &Options::noConfirmation, "mnuNOCONFIRMATION",
     QT_TRANSLATE_NOOP("MainWindow", "すべてのﾀﾞｲｱﾛｸﾞﾎﾞｯｸｽにはいで答える(&C)")},
    {"Settings", "MaxFileSize", SettingEncoding::Integer, &Options::maxFileSize, nullptr, nullptr},
    {nullptr, nullptr, SettingEncoding::Boolean, &Options::multidestFiles, "mnuMultidestFiles",
     QT_TRANSLATE_NOOP("MainWindow", "MultidestFiles")},
    {"Settings", "InitDir", SettingEncoding::Text, &Options::initDir, nullptr, nullptr},
    // View
    {"Settings", "ToolbarCaption", SettingEncoding::Boolean, &Options::toolbarCaption, "mnuToolbarCaption",
     QT_TRANSLATE_NOOP("MainWindow", "文字(&C)")},
    {"Settings", "ShowStatusBar", SettingEncoding::Boolean, &Options::showStatusBar, "mnuStatusbar",
     QT_TRANSLATE_NOOP("MainWindow", "ｽﾃｰﾀｽﾊﾞｰ(&S)")},
    {"Settings", "Sorted", SettingEncoding::Boolean, &Options::autoSort, "mnuAutoSort",
     QT_TRANSLATE_NOOP("MainWindow", "ﾌｧｲﾙ名で自動整列(&S)")},
    {"Settings", "Ascending", SettingEncoding::Boolean, &Options::ascending, nullptr, nullptr},
    {"Settings", "ToolTipText", SettingEncoding::Boolean, &Options::toolTip, "mnuToolTip",
     QT_TRANSLATE_NOOP("MainWindow", "ﾂｰﾙﾋﾝﾄを表示(&H)")},
    {"Settings", "ShowLog", SettingEncoding::Boolean, &Options::showLog, "mnuShowLog",
     QT_TRANSLATE_NOOP("MainWindow", "作業終了時にﾛｸﾞを表示(&L)")},
    {"Settings", "HideList", SettingEncoding::Boolean, &Options::hideList, "mnuHideList",
     QT_TRANSLATE_NOOP("MainWindow", "ﾘｽﾄを一時的に隠す(&D)")},
    {"Settings", "Preview", SettingEncoding::Boolean, &Options::preview, "mnuPreview",
     QT_TRANSLATE_NOOP("MainWindow", "新しい名前をﾌﾟﾚﾋﾞｭｰ(&P)")},
};

template <typename... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <typename... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

std::span<const OptionKey> optionKeys() {
    return kOptionKeys;
}

const OptionKey* optionForAction(QStringView objectName) {
    const auto it = std::find_if(std::begin(kOptionKeys), std::end(kOptionKeys), [objectName](const OptionKey& key) {
        return key.action != nullptr && objectName == QLatin1String(key.action);
    });
    return it == std::end(kOptionKeys) ? nullptr : &*it;
}

QString encodeBoolean(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> decodeBoolean(const QString& text) {
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool number = false;
    const double value = text.trimmed().toDouble(&number);
    if (!number)
        return std::nullopt;
    return value != 0;
}

QString encodeOption(const Options& options, const OptionKey& option) {
    return std::visit(Overloaded{
                          [&](bool Options::*member) { return encodeBoolean(options.*member); },
                          [&](int Options::*member) { return QString::number(options.*member); },
                          [&](QString Options::*member) { return options.*member; },
                      },
                      option.member);
}

bool decodeOption(Options& options, const OptionKey& option, const QString& text) {
    return std::visit(Overloaded{
                          [&](bool Options::*member) {
                              const auto value = decodeBoolean(text);
                              if (value)
                                  options.*member = *value;
                              return value.has_value();
                          },
                          [&](auto Options::*member) {
                              using Value = std::remove_reference_t<decltype(options.*member)>;
                              if constexpr (std::is_same_v<Value, QString>) {
                                  options.*member = text;
                                  return true;
                              } else {
                                  bool ok = false;
                                  const int value = text.trimmed().toInt(&ok);
                                  if (ok)
                                      options.*member = value;
                                  return ok;
                              }
                          },
                      },
                      option.member);
}
