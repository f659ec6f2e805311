#include "filelist/ui/FolderDialog.h"

#include "platform/AttributeBits.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FolderDialog::FolderDialog(FolderDialogMode mode, const FileSystem& fs, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_mode(mode)
    , m_fs(fs)
    , m_prompt(prompt)
    , m_folder(new QLineEdit(this))
    , m_subfolders(new QCheckBox(tr("すべてのサブフォルダを検索する(&S)"), this))
    , m_wildCard(new QPushButton(tr("ﾌｧｲﾙ名(&F)"), this))
    , m_chooseFolder(browseForFolder) {
    setObjectName(QStringLiteral("frmFolder"));
    setWindowTitle(tr("フォルダの選択"));

    auto* frame = new QGroupBox(tr("フォルダ名(&F)"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_folder->setObjectName(QStringLiteral("txtFolder"));
    m_folder->setMinimumWidth(300);
    auto* browseButton = new QPushButton(QStringLiteral("..."), frame);
    browseButton->setObjectName(QStringLiteral("cmdFolder"));
    browseButton->setAutoDefault(false);
    auto* frameRow = new QHBoxLayout(frame);
    frameRow->addWidget(m_folder, 1);
    frameRow->addWidget(browseButton);

    m_subfolders->setObjectName(QStringLiteral("chkSubfolder"));
    m_wildCard->setObjectName(QStringLiteral("cmdWildCard"));
    m_wildCard->setAutoDefault(false);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_wildCard);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_subfolders);
    layout->addLayout(buttons);

    const bool adding = mode == FolderDialogMode::Add;
    m_subfolders->setEnabled(adding);
    m_wildCard->setEnabled(adding);

    connect(browseButton, &QPushButton::clicked, this, &FolderDialog::browse);
    connect(ok, &QPushButton::clicked, this, &FolderDialog::confirm);
    // Esc and the window's close button end here too.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_wildCard, &QPushButton::clicked, this, [this] {
        if (m_editWildCard)
            m_editWildCard();
    });
}

QString FolderDialog::browseTitle() {
    return tr("ﾌｫﾙﾀﾞを選択してください");
}

QString FolderDialog::browseForFolder(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

void FolderDialog::setFolderText(const QString& text) {
    m_folder->setText(text);
}

bool FolderDialog::searchSubfolders() const {
    return m_subfolders->isChecked();
}

QString FolderDialog::typedFolder() const {
    QString text = m_folder->text();
    if (m_mode == FolderDialogMode::Target || text.isEmpty() || text.startsWith(QLatin1Char('/')))
        return text;
    return QDir::current().absoluteFilePath(text);
}

QString FolderDialog::folder() const {
    return m_chosen.endsWith(QLatin1Char('/')) ? m_chosen : m_chosen + QLatin1Char('/');
}

void FolderDialog::browse() {
    const QString chosen = m_chooseFolder(this, browseTitle(), m_folder->text());
    if (!chosen.isEmpty())
        m_folder->setText(chosen);
}

void FolderDialog::confirm() {
    m_chosen = typedFolder();
    if (m_mode == FolderDialogMode::Target) {
        m_accepted = !m_chosen.isEmpty();
        accept();
        return;
    }
    if (m_folder->text().isEmpty()) {
        reject();
        return;
    }
    const qint32 attributes = m_fs.attributes(m_chosen);
    if (attributes == AttributeBits::kMissing) {
        m_prompt.inform(tr("指定されたフォルダは存在しません。"), programTitle(), PromptIcon::Critical);
        return;
    }
    if ((attributes & AttributeBits::kDirectory) == 0) {
        m_prompt.inform(tr("指定されたファイルはフォルダではありません。"), programTitle(), PromptIcon::Critical);
        return;
    }
    m_accepted = true;
    accept();
}
