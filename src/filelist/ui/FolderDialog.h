#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>

class FileSystem;
class QCheckBox;
class QLineEdit;
class QPushButton;
class UserPrompt;

// What the folder dialog is opened for: a folder whose files are added, or the target folder of moves and
// copies, which is taken as typed.
enum class FolderDialogMode : std::uint8_t { Add, Target };

// frmFolder: a folder typed or picked with the folder browser, and for an add whether its subfolders count.
class FolderDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderDialog)

public:
    // The folder browser: the chosen folder, or an empty text when the user cancels.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

    FolderDialog(FolderDialogMode mode, const FileSystem& fs, UserPrompt& prompt, QWidget* parent = nullptr);

    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    // What the file-name button (cmdWildCard) runs: the add filter's own command.
    void setWildCardCommand(std::function<void()> command) { m_editWildCard = std::move(command); }
    void setFolderText(const QString& text);

    // Whether OK accepted a folder: the box is then not empty.
    [[nodiscard]] bool folderAccepted() const { return m_accepted; }
    // The accepted folder, ending in '/'. For an add a folder typed relative to the current one is made
    // absolute when OK is pressed; the target is taken as typed.
    [[nodiscard]] QString folder() const;
    [[nodiscard]] bool searchSubfolders() const;

    static QString browseTitle();
    static QString browseForFolder(QWidget* parent, const QString& title, const QString& start);

private:
    void browse();
    void confirm();
    [[nodiscard]] QString typedFolder() const;

    FolderDialogMode m_mode;
    const FileSystem& m_fs;
    UserPrompt& m_prompt;
    QLineEdit* m_folder;
    QCheckBox* m_subfolders;
    QPushButton* m_wildCard;
    FolderChooser m_chooseFolder;
    std::function<void()> m_editWildCard;
    QString m_chosen;
    bool m_accepted = false;
};
