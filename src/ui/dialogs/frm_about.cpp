#include "ui/dialogs/frm_about.h"
#include "ports/app_title.h"
#include "ui/program/resources.h"
#include "ui/widgets/window_placement.h"

#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/version.h"

namespace sorvek {

QString frmAbout::versionText(int major, int minor, int revision) {
    return QStringLiteral("version %1.%2%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    ensureResources();
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QString::fromUtf8(kAppTitle);
    setWindowTitle(title + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QIcon(QStringLiteral(":/sorvek/sorvek.svg")).pixmap(48, 48));
    lblTitle = new QLabel(title + QStringLiteral(" - Quillmarsh"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(versionText(kVersionMajor, kVersionMinor, kVersionRevision), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription = new QLabel(
        QStringLiteral("レコード長変換、固定長レコードのCSV変換、改行コード変換を行う\r\n"
                       "Shift-JIS データファイルの変換ツールです。"),
        this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDisclaimer = new QLabel(
        QStringLiteral(
            "このソフトウェアは現状のまま提供されます。変換結果は必ずご確認ください。"
            "本ソフトウェアの使用により生じたいかなる損害についても、作者は責任を負いません。"),
        this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 12);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(line, 3, 0, 1, 2);
    grid->addWidget(lblDisclaimer, 4, 0, 1, 2);
    grid->addWidget(cmdOK, 5, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(440);
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

}  // namespace sorvek
