#include "ui/wizard/record_def_page.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app_state.h"
#include "app/failure_message.h"
#include "app/job_registry.h"
#include "app/settings.h"
#include "app/shipped_layouts.h"
#include "editor/definition_commands.h"
#include "editor/definition_page.h"
#include "editor/edit_dialog.h"
#include "editor/output_format.h"
#include "editor/record_texts.h"
#include "formats/trd_file.h"
#include "platform/paths.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/dialogs/frm_output_format.h"
#include "ui/dialogs/frm_wiz_sub.h"
#include "ui/widgets/menu_keys.h"
#include "ui/widgets/ui_text.h"
#include "ui/wizard/field_def_list.h"
#include "ui/wizard/record_def_tree.h"

namespace sorvek {
namespace {

void setIfGiven(QLabel* label, const std::optional<std::string>& text) {
    if (text) label->setText(q(*text));
}

}  // namespace

RecordDefPage::RecordDefPage(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), messages_(this) {
    tvwRecDef = new RecordDefTree(this);
    tvwRecDef->setObjectName(QStringLiteral("tvwRecDef"));
    lvwFldDef = new FieldDefList(this);
    lvwFldDef->setObjectName(QStringLiteral("lvwFldDef"));
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
    cmdOutputFormat = new QPushButton(QStringLiteral("出力形式(&F)..."), this);
    cmdOutputFormat->setObjectName(QStringLiteral("cmdOutputFormat"));
    cmdRecentDef = new QPushButton(QStringLiteral("最近使った定義(&R)"), this);
    cmdRecentDef->setObjectName(QStringLiteral("cmdRecentDef"));
    mnuRecentDef = new QMenu(cmdRecentDef);
    mnuRecentDef->setObjectName(QStringLiteral("mnuRecentDef"));
    cmdRecentDef->setMenu(mnuRecentDef);

    // Left: the tree over the record's length and class code. Right: the field list over the
    // field-length sum. A splitter lets the user give the list more room.
    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(2);
    buildToolBars();
    auto* treeLabel = new QLabel(QStringLiteral("レコード定義:"), left);
    treeLabel->setBuddy(tvwRecDef);
    auto* treeHead = new QHBoxLayout;
    treeHead->addWidget(treeLabel);
    treeHead->addStretch();
    treeHead->addWidget(tbrRecDef);
    leftLayout->addLayout(treeHead);
    // Narrower, the tool bar would hide its buttons behind an arrow.
    left->setMinimumWidth(treeHead->sizeHint().width());
    leftLayout->addWidget(tvwRecDef, 1);
    leftLayout->addWidget(lblRecLen);
    leftLayout->addWidget(lblClass);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(2);
    auto* listLabel = new QLabel(QStringLiteral("フィールド定義:"), right);
    listLabel->setBuddy(lvwFldDef);
    auto* listHead = new QHBoxLayout;
    listHead->addWidget(listLabel);
    listHead->addStretch();
    listHead->addWidget(tbrFldDef);
    rightLayout->addLayout(listHead);
    rightLayout->addWidget(lvwFldDef, 1);
    rightLayout->addWidget(lblFldLenSum);
    // Two lines under the tree, one under the list: the list's label line keeps the bottoms level.
    rightLayout->addSpacing(lblClass->sizeHint().height() + 2);

    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    tvwRecDef->setMinimumWidth(100);
    lvwFldDef->setMinimumWidth(180);
    // The list's own width; the tree takes the rest of the page.
    splitter->setSizes({std::max(px(7065 - 4770) - 8, left->minimumWidth()), px(4770)});

    buildUndoActions();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdNewRec);
    buttons->addWidget(cmdUndo);
    buttons->addWidget(cmdRedo);
    buttons->addWidget(cmdOutputFormat);
    buttons->addStretch();
    buttons->addWidget(cmdRecentDef);
    buttons->addWidget(cmdDefFileOpen);
    buttons->addWidget(cmdDefFileSave);

    auto* definition = new QWidget(this);
    auto* definitionLayout = new QVBoxLayout(definition);
    definitionLayout->setContentsMargins(0, 0, 0, 0);
    definitionLayout->setSpacing(6);
    definitionLayout->addWidget(splitter, 1);
    definitionLayout->addLayout(buttons);

    preview = new DataPreviewPane(state_.recordDefTable, this);
    pageSplitter = new QSplitter(Qt::Vertical, this);
    pageSplitter->setObjectName(QStringLiteral("pageSplitter"));
    pageSplitter->setChildrenCollapsible(false);
    pageSplitter->addWidget(definition);
    pageSplitter->addWidget(preview);
    // The definition and the preview share the height evenly, and the field list keeps room
    // for eight rows on a small screen (1024×768), where the preview gives way first.
    pageSplitter->setStretchFactor(0, 1);
    pageSplitter->setStretchFactor(1, 1);
    lvwFldDef->setMinimumHeight(lvwFldDef->header()->sizeHint().height() +
                                8 * lvwFldDef->fontMetrics().height() * 3 / 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(pageSplitter, 1);

    buildMenus();

    connect(tvwRecDef, &RecordDefTree::selectionMoved, this, &RecordDefPage::treeSelectionMoved);
    connect(tvwRecDef, &RecordDefTree::nodeDoubleClicked, this, [this] {
        if (tree_.selectedTag() >= 0) mnuRecDef_Click(1);
    });
    connect(tvwRecDef, &RecordDefTree::menuRequested, this, &RecordDefPage::showRecordMenu);
    tvwRecDef->setMenuState([this] { return recordMenu(tree_, lvwFldDef->rowCount()); });
    connect(tvwRecDef, &RecordDefTree::commandKey, this,
            [this](RecordCommand command) { mnuRecDef_Click(static_cast<int>(command)); });
    connect(lvwFldDef, &QTreeWidget::itemSelectionChanged, this, &RecordDefPage::updateToolStates);
    connect(lvwFldDef, &FieldDefList::menuRequested, this, &RecordDefPage::showFieldMenu);
    connect(lvwFldDef, &FieldDefList::commandKey, this, &RecordDefPage::runFieldCommand);
    connect(lvwFldDef, &FieldDefList::rowChecked, this, &RecordDefPage::fieldRowChecked);
    connect(lvwFldDef, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (lvwFldDef->rowCount() >= 1) runFieldCommand(FieldCommand::Change);
    });
    // Every edit of the definition ends in a page check: the preview follows it.
    connect(this, &RecordDefPage::pageCheckRequested, this, &RecordDefPage::previewDefinition);
    connect(this, &RecordDefPage::pageCheckRequested, this, &RecordDefPage::definitionEdited);
    connect(cmdNewRec, &QPushButton::clicked, this, &RecordDefPage::cmdNewRec_Click);
    connect(cmdDefFileOpen, &QPushButton::clicked, this, &RecordDefPage::cmdDefFileOpen_Click);
    connect(cmdDefFileSave, &QPushButton::clicked, this, &RecordDefPage::cmdDefFileSave_Click);
    connect(cmdOutputFormat, &QPushButton::clicked, this, &RecordDefPage::cmdOutputFormat_Click);
    fillRecentDefinitions();
    // What the page starts with is no change of the user's.
    baseline_.markSaved(state_.recordDefTable);
    // The page starts without a definition on show (one left by an earlier wizard is none of
    // this page's): undo goes back no further than that.
    history_.reset(RecordDefTable{});
}

void RecordDefPage::buildUndoActions() {
    actUndo = new QAction(QStringLiteral("元に戻す"), this);
    actUndo->setObjectName(QStringLiteral("actUndo"));
    actUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    actUndo->setToolTip(QStringLiteral("直前の定義の変更を元に戻す (Ctrl+Z)"));
    actRedo = new QAction(QStringLiteral("やり直し"), this);
    actRedo->setObjectName(QStringLiteral("actRedo"));
    actRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    actRedo->setToolTip(QStringLiteral("元に戻した変更をやり直す (Ctrl+Y)"));
    for (QAction* action : {actUndo, actRedo}) {
        // The keys work wherever the focus is on the page, and only there.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setEnabled(false);
        addAction(action);
    }
    connect(actUndo, &QAction::triggered, this, &RecordDefPage::undo);
    connect(actRedo, &QAction::triggered, this, &RecordDefPage::redo);
    cmdUndo = new QToolButton(this);
    cmdUndo->setObjectName(QStringLiteral("cmdUndo"));
    cmdUndo->setDefaultAction(actUndo);
    cmdRedo = new QToolButton(this);
    cmdRedo->setObjectName(QStringLiteral("cmdRedo"));
    cmdRedo->setDefaultAction(actRedo);
}

void RecordDefPage::definitionEdited() {
    // A definition the tree does not show is no step of this page's.
    history_.record(tree_.nodeCount() > 0 ? state_.recordDefTable : RecordDefTable{});
    actUndo->setEnabled(history_.canUndo());
    actRedo->setEnabled(history_.canRedo());
    emit definitionStateChanged();
}

void RecordDefPage::undo() {
    if (!history_.undo(state_.recordDefTable)) return;
    showRestoredDefinition();
}

void RecordDefPage::redo() {
    if (!history_.redo(state_.recordDefTable)) return;
    showRestoredDefinition();
}

void RecordDefPage::showRestoredDefinition() {
    const RecordDefTable& table = state_.recordDefTable;
    const std::int32_t selected = tree_.selectedTag();
    if (table.hasDefinition()) {
        buildRecordTree(tree_, table);
        // The node looked at stays selected while it is there.
        if (selected >= 0 && selected <= table.maxIndex()) tree_.selectTag(selected);
    } else {
        clearRecordTree(tree_);
        lblRecLen->clear();
        lblClass->clear();
    }
    preview->clearCheck();
    showTree();
    tvwRecDef_Click();
    emit pageCheckRequested();
}

void RecordDefPage::fillRecentDefinitions() {
    mnuRecentDef->clear();
    const std::vector<std::string> recent = readRecentDefinitions(state_.IniFilePath);
    int number = 1;
    for (const std::string& path : recent) {
        // "&1 /defs/受注.trd": a digit to choose it by; a "&" of the path is shown as it is.
        QString caption = q(path);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = mnuRecentDef->addAction(QStringLiteral("&%1 ").arg(number++) + caption);
        const QString file = q(path);
        connect(item, &QAction::triggered, this, [this, file] { openDefinitionFile(file); });
    }
    cmdRecentDef->setEnabled(!recent.empty());
}

void RecordDefPage::definitionStored(const QString& path) {
    baseline_.markSaved(state_.recordDefTable);
    rememberRecentDefinition(state_.IniFilePath, s(path));
    fillRecentDefinitions();
    emit definitionStateChanged();
}

bool RecordDefPage::hasUnsavedChanges() const {
    return baseline_.hasUnsavedChanges(state_.recordDefTable);
}

bool RecordDefPage::confirmDropDefinition() {
    if (!hasUnsavedChanges()) return true;
    const QMessageBox::StandardButton answer = MessageBox::askSaveDiscardCancel(
        window(), q(unsavedQuestion(state_.recordDefTable)), QString::fromUtf8(kUnsavedTitle));
    if (answer == QMessageBox::Discard) return true;
    if (answer != QMessageBox::Save) return false;
    cmdDefFileSave_Click();
    return !hasUnsavedChanges();
}

void RecordDefPage::cmdOutputFormat_Click() {
    if (!state_.recordDefTable.hasDefinition()) {
        messages_.show(kNoDefinitionForOutputFormat, std::string(), MessageIcon::Information);
        return;
    }
    frmOutputFormat dialog(state_.recordDefTable, this);
    dialog.exec();
    emit pageCheckRequested();
}

void RecordDefPage::buildMenus() {
    mnuTRecDef = new QMenu(QStringLiteral("レコード定義"), this);
    mnuTRecDef->setObjectName(QStringLiteral("mnuTRecDef"));
    const char* recordCaptions[] = {"レコードの追加(&A)", "レコードの変更(&U)",
                                    "レコードの削除(&D)", "クリップボードにコピー(&C)"};
    // The keys the tree itself takes for each item.
    const QKeySequence recordKeys[] = {QKeySequence(Qt::Key_Insert), QKeySequence(Qt::Key_Enter),
                                       QKeySequence(Qt::Key_Delete), QKeySequence::Copy};
    for (int i = 0; i < 4; ++i) {
        mnuRecDef[i] = mnuTRecDef->addAction(QString::fromUtf8(recordCaptions[i]));
        mnuRecDef[i]->setObjectName(QStringLiteral("mnuRecDef_%1").arg(i));
        showKeysInMenu(mnuRecDef[i], recordKeys[i]);
        connect(mnuRecDef[i], &QAction::triggered, this, [this, i] { mnuRecDef_Click(i); });
    }
    keepKeysInMenu(mnuTRecDef);

    mnuTFldDef = new QMenu(QStringLiteral("フィールド定義"), this);
    mnuTFldDef->setObjectName(QStringLiteral("mnuTFldDef"));
    const char* fieldCaptions[] = {"フィールドの追加(&A)",
                                   "フィールドの変更(&U)",
                                   "フィールドの削除(&D)",
                                   "-",
                                   "フィールドを上に移動(&P)",
                                   "フィールドを下に移動(&N)",
                                   "-",
                                   "全てのチェックを入れる(&C)",
                                   "全てのチェックを外す(&O)"};
    for (int i = 0; i < 9; ++i) {
        const QString caption = QString::fromUtf8(fieldCaptions[i]);
        mnuFldDef[i] = caption == QLatin1String("-") ? mnuTFldDef->addSeparator()
                                                     : mnuTFldDef->addAction(caption);
        mnuFldDef[i]->setObjectName(QStringLiteral("mnuFldDef_%1").arg(i));
        connect(mnuFldDef[i], &QAction::triggered, this, [this, i] { mnuFldDef_Click(i); });
    }
    // The keys the list itself takes for each item.
    showKeysInMenu(mnuFldDef[0], QKeySequence(Qt::Key_Insert));
    showKeysInMenu(mnuFldDef[1], QKeySequence(Qt::Key_Enter));
    showKeysInMenu(mnuFldDef[2], QKeySequence(Qt::Key_Delete));
    showKeysInMenu(mnuFldDef[4], QKeySequence(Qt::CTRL | Qt::Key_Up));
    showKeysInMenu(mnuFldDef[5], QKeySequence(Qt::CTRL | Qt::Key_Down));
    keepKeysInMenu(mnuTFldDef);
}

void RecordDefPage::buildToolBars() {
    auto toolBar = [this](const char* name) {
        auto* bar = new QToolBar(this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setIconSize(QSize(16, 16));
        bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setStyleSheet(QStringLiteral("QToolBar { border: none; padding: 0; spacing: 2px; }"));
        return bar;
    };
    auto tool = [](QToolBar* bar, const char* name, const QString& text, const QString& tip,
                   const QKeySequence& keys) {
        QAction* action = bar->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(keys.isEmpty()
                               ? tip
                               : tip + QStringLiteral(" (") +
                                     keys.toString(QKeySequence::NativeText) + QLatin1Char(')'));
        return action;
    };
    tbrRecDef = toolBar("tbrRecDef");
    recordTool[0] = tool(tbrRecDef, "tlbRecAdd", QStringLiteral("追加"),
                         QStringLiteral("レコードの追加"), QKeySequence(Qt::Key_Insert));
    recordTool[1] = tool(tbrRecDef, "tlbRecChange", QStringLiteral("変更"),
                         QStringLiteral("選択した定義の変更"), QKeySequence(Qt::Key_Enter));
    recordTool[2] = tool(tbrRecDef, "tlbRecDelete", QStringLiteral("削除"),
                         QStringLiteral("選択した定義の削除"), QKeySequence(Qt::Key_Delete));
    for (int i = 0; i < 3; ++i) {
        connect(recordTool[i], &QAction::triggered, this, [this, i] { mnuRecDef_Click(i); });
    }

    tbrFldDef = toolBar("tbrFldDef");
    fieldTool[0] = tool(tbrFldDef, "tlbFldAdd", QStringLiteral("追加"),
                        QStringLiteral("選択したフィールドの後ろにフィールドを追加"),
                        QKeySequence(Qt::Key_Insert));
    fieldTool[1] = tool(tbrFldDef, "tlbFldChange", QStringLiteral("変更"),
                        QStringLiteral("フィールドの変更"), QKeySequence(Qt::Key_Enter));
    fieldTool[2] = tool(tbrFldDef, "tlbFldDelete", QStringLiteral("削除"),
                        QStringLiteral("フィールドの削除"), QKeySequence(Qt::Key_Delete));
    fieldTool[3] =
        tool(tbrFldDef, "tlbFldUp", QStringLiteral("▲ 上へ"),
             QStringLiteral("フィールドを上に移動"), QKeySequence(Qt::CTRL | Qt::Key_Up));
    fieldTool[4] =
        tool(tbrFldDef, "tlbFldDown", QStringLiteral("▼ 下へ"),
             QStringLiteral("フィールドを下に移動"), QKeySequence(Qt::CTRL | Qt::Key_Down));
    const FieldCommand fieldCommands[] = {FieldCommand::Add, FieldCommand::Change,
                                          FieldCommand::Delete, FieldCommand::MoveUp,
                                          FieldCommand::MoveDown};
    for (int i = 0; i < 5; ++i) {
        const FieldCommand command = fieldCommands[i];
        connect(fieldTool[i], &QAction::triggered, this, [this, command] {
            runFieldCommand(command);
            lvwFldDef->setFocus();
        });
    }
    updateToolStates();
}

void RecordDefPage::updateToolStates() {
    const RecordMenu menu = recordMenu(tree_, lvwFldDef->rowCount());
    recordTool[0]->setEnabled(state_.recordDefTable.hasDefinition() && tvwRecDef->isEnabled());
    recordTool[1]->setEnabled(menu.show);
    recordTool[2]->setEnabled(menu.show);
    const bool listOn = lvwFldDef->isEnabled();
    const FieldMenuState field = fieldMenuState(lvwFldDef->selectedRow(), lvwFldDef->rowCount());
    fieldTool[0]->setEnabled(listOn && field.add);
    fieldTool[1]->setEnabled(listOn && field.change);
    fieldTool[2]->setEnabled(listOn && field.remove);
    fieldTool[3]->setEnabled(listOn && field.moveUp);
    fieldTool[4]->setEnabled(listOn && field.moveDown);
}

void RecordDefPage::showFieldLengthSum(const std::optional<std::string>& text,
                                       const std::optional<std::string>& warning) {
    lblFldLenSum->setText(q(text.value_or("")));
    lblFldLenSum->setToolTip(q(warning.value_or("")));
    // Red, as the standard colour of a warning, whatever the theme's text colour is.
    lblFldLenSum->setStyleSheet(warning ? QStringLiteral("color: #c00000;") : QString());
}

void RecordDefPage::setInputFile(const QString& path) {
    // The job tells what its input is: records of the definition, or a text it makes them of.
    const JobEntry* job = findJobByKind(state_.job.JobKind);
    const bool text = job != nullptr && readsTextIntoRecords(*job);
    preview->setInputFile(path, text ? PreviewInput::Text : PreviewInput::Records,
                          state_.recordOutput);
    previewDefinition();
}

void RecordDefPage::previewDefinition() {
    // The tree shows what cuts the preview: without nodes it cuts nothing.
    preview->setDefinitionShown(tree_.nodeCount() > 0);
    preview->definitionChanged(tree_.selectedTag());
}

int RecordDefPage::treeNodeCount() const {
    return tvwRecDef->nodeCount();
}

void RecordDefPage::showTree() {
    tvwRecDef->showModel(tree_);
    updateToolStates();
}

void RecordDefPage::treeSelectionMoved() {
    tree_.selected = tree_.findTag(tvwRecDef->selectedTag());
    tvwRecDef_Click();
}

void RecordDefPage::tvwRecDef_Click() {
    const RecordDetails details = refreshDetails(state_.recordDefTable, tree_);
    lvwFldDef->showRows(details.rows);
    setIfGiven(lblRecLen, details.lblRecLen);
    setIfGiven(lblClass, details.lblClass);
    lvwFldDef->setEnabled(details.fieldListEnabled);
    // The sum belongs to the fields on show: without them the label is empty rather than
    // showing another record's (or another definition's) sum.
    showFieldLengthSum(details.lblFldLenSum, details.fldLenSumWarning);
    updateToolStates();
    if (details.runPageCheck) emit pageCheckRequested();
    previewDefinition();
}

// ---- Record tree ---------------------------------------------------------------------------

void RecordDefPage::showRecordMenu(const QPoint& globalPos) {
    const RecordMenu menu = recordMenu(tree_, lvwFldDef->rowCount());
    if (!menu.show) return;
    mnuRecDef[1]->setText(q(menu.changeCaption));
    mnuRecDef[2]->setText(q(menu.deleteCaption));
    mnuRecDef[3]->setEnabled(menu.copyEnabled);
    mnuTRecDef->popup(globalPos);
}

bool RecordDefPage::showEditDialog(std::int32_t mode, std::int32_t sel) {
    bool applied = false;
    {
        frmWizSub dialog(mode, state_.recordDefTable, tree_, sel, window());
        applied = dialog.exec() == QDialog::Accepted;
    }
    if (applied && editPanelIndex(mode) <= 2) showTree();
    return applied;
}

void RecordDefPage::mnuRecDef_Click(int index) {
    RecordDefTable& table = state_.recordDefTable;
    switch (index) {
        case 0:
            if (!table.hasDefinition()) return;
            showEditDialog(kEditAddRecord);
            break;
        case 1: {
            const std::int32_t mode = changeEditMode(tree_);
            if (mode == 0) return;
            showEditDialog(mode);
            break;
        }
        case 2:
            // Declined: nothing changes, and no refresh follows.
            if (!deleteSelectedDefinition(table, tree_, messages_)) return;
            showTree();
            if (!table.hasDefinition()) {
                lblRecLen->clear();
                lblClass->clear();
                preview->clearCheck();
            }
            break;
        case 3: {
            const std::int32_t tag = tree_.selectedTag();
            if (tag < 1 || tag > table.maxIndex()) return;
            QClipboard* clipboard = QGuiApplication::clipboard();
            clipboard->clear();
            clipboard->setText(q(recordCopyText(table, tag)));
            break;
        }
        default:
            return;
    }
    tvwRecDef_Click();
    emit pageCheckRequested();
}

void RecordDefPage::cmdNewRec_Click() {
    if (!confirmDropDefinition()) return;
    if (!showEditDialog(kEditNewFileDef)) return;
    preview->clearCheck();
    // The new definition belongs to no file yet.
    tree_.Tag.clear();
    state_.definitionFile.clear();
    tvwRecDef_Click();
    emit pageCheckRequested();
    if (showEditDialog(kEditAddRecord)) tvwRecDef_Click();
    emit pageCheckRequested();
}

// ---- Open and save -------------------------------------------------------------------------

std::string RecordDefPage::trdFolder() const {
    const std::string input =
        state_.job.JobParams[0].empty() ? std::string() : getFullPath(state_.job.JobParams[0]);
    return definitionFolder(readSetting(state_.IniFilePath, kSectionDefault, kKeyTrdFolder), input,
                            QDir::homePath().toStdString());
}

void RecordDefPage::cmdDefFileOpen_Click() {
    cDialog dialog;
    // The shipped layouts are a place of the dialog's side bar, a click away wherever it opens.
    QStringList places;
    if (const std::string layouts = shippedLayoutsFolder(); !layouts.empty()) places << q(layouts);
    const QString path = dialog.showOpenDialog(
        window(), kOpenDefinitionFlags, QString::fromUtf8(kOpenDefinitionFilter),
        kDefinitionFilterIndex, QString::fromUtf8(kOpenDefinitionTitle),
        q(openDefinitionStartPath(tree_, trdFolder())), places);
    if (path.isEmpty()) return;
    openDefinitionFile(path);
}

bool RecordDefPage::openDefinitionFile(const QString& path) {
    if (!confirmDropDefinition()) return false;
    const std::string file = path.toStdString();
    const auto opened = openDefinition(file, state_.recordDefTable, tree_, definitionFileLoader());
    if (!opened || !showLoadOutcome(file, *opened, messages_)) return false;
    // Undo goes back no further than the definition opened.
    history_.reset(state_.recordDefTable);
    state_.definitionFile = tree_.Tag;
    definitionStored(path);
    preview->clearCheck();
    showTree();
    tvwRecDef->setFocus();
    tvwRecDef_Click();
    emit pageCheckRequested();
    return true;
}

void RecordDefPage::cmdDefFileSave_Click() {
    cDialog dialog;
    const QString path = dialog.showSaveDialog(
        window(), kSaveDefinitionFlags, QString::fromUtf8(kSaveDefinitionFilter),
        kDefinitionFilterIndex, QString::fromUtf8(kSaveDefinitionTitle),
        q(saveDefinitionStartPath(tree_, trdFolder())));
    if (path.isEmpty()) return;
    const bool saved = saveDefinition(path.toStdString(), state_.recordDefTable, tree_, messages_,
                                      [](const std::string& target, const RecordDefTable& table) {
                                          return writeTrdFile(target, table);
                                      });
    state_.definitionFile = tree_.Tag;
    if (saved) definitionStored(path);
    emit pageCheckRequested();
}

// ---- Field list ----------------------------------------------------------------------------

void RecordDefPage::showFieldMenu(const QPoint& globalPos) {
    const FieldMenuState menu = fieldMenuState(lvwFldDef->selectedRow(), lvwFldDef->rowCount());
    mnuFldDef[0]->setEnabled(menu.add);
    mnuFldDef[1]->setEnabled(menu.change);
    mnuFldDef[2]->setEnabled(menu.remove);
    mnuFldDef[4]->setEnabled(menu.moveUp);
    mnuFldDef[5]->setEnabled(menu.moveDown);
    mnuFldDef[7]->setEnabled(menu.checkAll);
    mnuFldDef[8]->setEnabled(menu.uncheckAll);
    mnuTFldDef->popup(globalPos);
}

void RecordDefPage::mnuFldDef_Click(int index) {
    runFieldCommand(fieldMenuCommand(index));
}

void RecordDefPage::refillFields(std::int32_t record) {
    RecordDef& entry = state_.recordDefTable[static_cast<std::size_t>(record)];
    lvwFldDef->showRows(refillFieldRows(entry, state_.recordDefTable));
    showFieldLengthSum(fieldLengthSumText(entry), fieldLengthMismatchText(entry));
}

void RecordDefPage::placeFields(const FieldListPlacement& placement) {
    // Scrolling first restores the list's position; selecting then moves it only when the
    // selected row would still be out of sight.
    lvwFldDef->bringIntoView(placement.scrollToRow);
    lvwFldDef->selectRow(placement.selectRow);
}

void RecordDefPage::runFieldCommand(FieldCommand command) {
    RecordDefTable& table = state_.recordDefTable;
    const std::int32_t record = tree_.selectedTag();
    if (record < 1 || record > table.maxIndex() || command == FieldCommand::None) return;
    const int sel = lvwFldDef->selectedRow();
    const int top = lvwFldDef->topRow();
    // Change, delete, the moves and the checks act on the selected row.
    if (sel == 0 && command != FieldCommand::Add) return;

    auto refilled = [&] {
        refillFields(record);
        return lvwFldDef->rowCount();
    };
    switch (command) {
        case FieldCommand::Add: {
            // A new field goes after the selected row; with none selected, after the last, since
            // none may be put in front of the first field.
            const int after = sel > 0 ? sel : lvwFldDef->rowCount();
            if (!showEditDialog(kEditAddField, after)) return;
            const int count = refilled();
            placeFields(placementAfterAdd(after, top, lvwFldDef->getRowsPerPage(), count));
            break;
        }
        case FieldCommand::Change: {
            if (!showEditDialog(kEditChangeField, sel)) return;
            const int count = refilled();
            placeFields(placementAfterChange(sel, top, lvwFldDef->getRowsPerPage(), count));
            break;
        }
        case FieldCommand::Delete: {
            if (!deleteSelectedField(table, record, sel, messages_)) return;
            const int count = refilled();
            if (count > 0) {
                placeFields(placementAfterDelete(sel, top, lvwFldDef->getRowsPerPage(), count));
            }
            break;
        }
        case FieldCommand::MoveUp:
        case FieldCommand::MoveDown: {
            const int direction = command == FieldCommand::MoveUp ? -1 : 1;
            if (!MoveFieldDef(table, record, sel - 1, direction)) {
                return;
            }
            const int count = refilled();
            placeFields(
                placementAfterMove(sel, direction, top, lvwFldDef->getRowsPerPage(), count));
            break;
        }
        case FieldCommand::CheckAll:
        case FieldCommand::UncheckAll: {
            const bool ticked = command == FieldCommand::CheckAll;
            setAllChecks(table[static_cast<std::size_t>(record)], ticked);
            for (int row = 1; row <= lvwFldDef->rowCount(); ++row) {
                lvwFldDef->setRowChecked(row, ticked);
            }
            break;
        }
        case FieldCommand::None:
            return;
    }
    updateToolStates();
    emit pageCheckRequested();
}

void RecordDefPage::fieldRowChecked(int row, bool ticked) {
    RecordDefTable& table = state_.recordDefTable;
    const std::int32_t record = tree_.selectedTag();
    if (record < 1 || record > table.maxIndex()) return;
    setFieldCheck(table[static_cast<std::size_t>(record)], row - 1, ticked);
    previewDefinition();
    definitionEdited();
}

}  // namespace sorvek
