#include "ui/record_def_page.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "app/app_state.h"

namespace sorvek {
namespace {

// 15 twips make one pixel.
constexpr int px(int twips) {
    return twips / 15;
}

QLabel* label(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    return l;
}

}  // namespace

RecordDefPage::RecordDefPage(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    tvwRecDef = new QTreeWidget(this);
    tvwRecDef->setObjectName(QStringLiteral("tvwRecDef"));
    tvwRecDef->setHeaderHidden(true);
    tvwRecDef->setEnabled(false);  // no definition yet

    lvwFldDef = new QTreeWidget(this);
    lvwFldDef->setObjectName(QStringLiteral("lvwFldDef"));
    lvwFldDef->setRootIsDecorated(false);
    lvwFldDef->setHeaderLabels({QStringLiteral("フィールド名"), QStringLiteral("属性"),
                                QStringLiteral("位置"), QStringLiteral("桁数"),
                                QStringLiteral("メモ")});
    const int widths[] = {2300, 900, 620, 620, 3500};
    for (int i = 0; i < 5; ++i) lvwFldDef->setColumnWidth(i, px(widths[i]));
    lvwFldDef->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    lvwFldDef->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    lvwFldDef->setEnabled(false);

    lblRecLen = new QLabel(this);
    lblRecLen->setObjectName(QStringLiteral("lblRecLen"));
    lblClass = new QLabel(this);
    lblClass->setObjectName(QStringLiteral("lblClass"));
    lblFldLenSum = new QLabel(this);
    lblFldLenSum->setObjectName(QStringLiteral("lblFldLenSum"));

    cmdNewRec = new QPushButton(QStringLiteral("新規作成"), this);
    cmdNewRec->setObjectName(QStringLiteral("cmdNewRec"));
    cmdDefFileOpen = new QPushButton(QStringLiteral("定義を開く(&O)"), this);
    cmdDefFileOpen->setObjectName(QStringLiteral("cmdDefFileOpen"));
    cmdDefFileSave = new QPushButton(QStringLiteral("定義を保存(&S)"), this);
    cmdDefFileSave->setObjectName(QStringLiteral("cmdDefFileSave"));
    cmdDefFileSave->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(label(QStringLiteral("レコード定義:"), this), 0, 0);
    grid->addWidget(label(QStringLiteral("フィールド定義:"), this), 0, 1);
    grid->addWidget(tvwRecDef, 1, 0);
    grid->addWidget(lvwFldDef, 1, 1);
    auto* details = new QHBoxLayout;
    details->addWidget(lblRecLen);
    details->addWidget(lblClass);
    details->addStretch();
    grid->addLayout(details, 2, 0);
    grid->addWidget(lblFldLenSum, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdNewRec);
    buttons->addStretch();
    buttons->addWidget(cmdDefFileOpen);
    buttons->addWidget(cmdDefFileSave);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(1, 1);
}

int RecordDefPage::treeNodeCount() const {
    int count = 0;
    for (QTreeWidgetItemIterator it(tvwRecDef); *it != nullptr; ++it) ++count;
    return count;
}

}  // namespace sorvek
