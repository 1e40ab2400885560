#include "ui/dialogs/frm_options.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/settings.h"
#include "ports/messages.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/dialogs/message_box.h"
#include "ui/widgets/file_drop.h"
#include "ui/widgets/ui_text.h"
#include "ui/widgets/window_placement.h"

namespace sorvek {
frmOptions::frmOptions(std::string iniPath, QWidget* parent)
    : QDialog(parent), iniPath_(std::move(iniPath)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Sorvek オプション設定"));

    tbsOptions = new QTabWidget(this);
    tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    picOptions0 = new QWidget;
    picOptions0->setObjectName(QStringLiteral("picOptions_0"));
    tbsOptions->addTab(picOptions0, QStringLiteral("フォルダ"));

    auto addFolder = [&](int index, const QString& caption, const QString& browseCaption,
                         QLineEdit*& box, QPushButton*& browse) {
        auto* frame = new QGroupBox(caption, picOptions0);
        frame->setObjectName(QStringLiteral("fraSample1_%1").arg(index));
        box = new QLineEdit(frame);
        box->setMinimumWidth(280);
        browse = new QPushButton(browseCaption, frame);
        browse->setObjectName(QStringLiteral("cmdFolderRef_%1").arg(index));
        FileDropFilter::install(box);
        auto* row = new QHBoxLayout(frame);
        row->addWidget(box, 1);
        row->addWidget(browse);
        connect(browse, &QPushButton::clicked, this, [this, index] { cmdFolderRef_Click(index); });
        return frame;
    };
    fraSample1_0 = addFolder(0, QStringLiteral("データファイルの既定フォルダ"),
                             QStringLiteral("参照(&D)..."), txtDataFolder, cmdFolderRef0);
    fraSample1_1 = addFolder(1, QStringLiteral("レコード定義ファイルの既定フォルダ"),
                             QStringLiteral("参照(&R)..."), txtTrdFolder, cmdFolderRef1);
    txtDataFolder->setObjectName(QStringLiteral("txtDataFolder"));
    txtTrdFolder->setObjectName(QStringLiteral("txtTrdFolder"));
    auto* page = new QVBoxLayout(picOptions0);
    page->addWidget(fraSample1_0);
    page->addWidget(fraSample1_1);
    page->addStretch();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tbsOptions);
    layout->addLayout(buttons);

    // Form_Load.
    txtDataFolder->setText(q(readSetting(iniPath_, kSectionDefault, kKeyDataFolder)));
    txtTrdFolder->setText(q(readSetting(iniPath_, kSectionDefault, kKeyTrdFolder)));
    // Typing goes into the first folder at once.
    txtDataFolder->setFocus();
}

void frmOptions::cmdFolderRef_Click(int index) {
    QLineEdit* box = index == 0 ? txtDataFolder : txtTrdFolder;
    const QString prompt =
        index == 0 ? QStringLiteral("データファイルの既定フォルダを指定して下さい")
                   : QStringLiteral("レコード定義ファイルの既定フォルダを指定して下さい");
    const QString folder = browseForFolder(this, prompt, box->text());
    if (!folder.isEmpty()) box->setText(folder);
}

bool frmOptions::folderUsable(QLineEdit* box) {
    const QString text = box->text();
    switch (folderState(s(text))) {
        case FolderState::Empty:
        case FolderState::Exists:
            return true;
        case FolderState::NotAFolder:
            MessageBox::show(this, QStringLiteral("「%1」はフォルダではありません。").arg(text),
                             QString(), MessageIcon::Exclamation);
            break;
        case FolderState::Missing:
            if (MessageBox::askYesNo(
                    this,
                    QStringLiteral("フォルダ「%1」は存在しません。\n作成しますか？").arg(text),
                    windowTitle())) {
                if (QDir().mkpath(text)) return true;
                MessageBox::show(this,
                                 QStringLiteral("フォルダ「%1」を作成できませんでした。").arg(text),
                                 QString(), MessageIcon::Exclamation);
            }
            break;
    }
    box->setFocus();
    box->selectAll();
    return false;
}

void frmOptions::cmdOK_Click() {
    // A default folder that does not exist would only make every dialog start elsewhere.
    if (!folderUsable(txtDataFolder) || !folderUsable(txtTrdFolder)) return;
    txtDataFolder->setText(q(folderForSaving(txtDataFolder->text().toStdString())));
    txtTrdFolder->setText(q(folderForSaving(txtTrdFolder->text().toStdString())));
    const Status saved = saveDefaultFolders(iniPath_, txtDataFolder->text().toStdString(),
                                            txtTrdFolder->text().toStdString());
    if (saved) {
        accept();
        return;
    }
    QString text = QStringLiteral("設定保存中にエラーが発生しました。");
    if (!saved.error().reason.empty()) text += "\n" + q(saved.error().reason);
    MessageBox::show(this, text, QString(), MessageIcon::None);
}

void frmOptions::cmdCancel_Click() {
    reject();
}

void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

}  // namespace sorvek
