#include "ui/dialogs/frm_wiz_sub.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <iterator>

#include "editor/field_def_panel.h"
#include "editor/file_def_panel.h"
#include "editor/record_def_panel.h"
#include "ui/dialogs/message_box.h"
#include "ui/widgets/ui_text.h"

namespace sorvek {
namespace {

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox* typedCombo(const char* name, QWidget* parent) {
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

// The row of `value` in a list of captioned choices (0, the first, when it holds none).
template <typename T, std::size_t N>
int choiceIndex(const std::array<CaptionedChoice<T>, N>& choices, T value) {
    for (std::size_t i = 0; i < N; ++i) {
        if (choices[i].value == value) return static_cast<int>(i);
    }
    return 0;
}

// The value of row `index` of such a list; the first for no row.
template <typename T, std::size_t N>
T choiceValue(const std::array<CaptionedChoice<T>, N>& choices, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? choices[static_cast<std::size_t>(index)].value
               : choices[0].value;
}

// Hidden, the control keeps its place, so the panel does not jump.
void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QGridLayout* panelGrid(QWidget* panel) {
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(10, 10, 10, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    return grid;
}

}  // namespace

frmWizSub::frmWizSub(std::int32_t EditMode, RecordDefTable& table, RecordTree& tree,
                     std::int32_t sel, QWidget* parent)
    : QDialog(parent),
      editMode_(EditMode),
      table_(table),
      tree_(tree),
      record_(tree.selectedTag()),
      sel_(sel) {
    setObjectName(QStringLiteral("frmWizSub"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    pnlWiz[1] = buildFilePanel();
    pnlWiz[2] = buildRecordPanel();
    pnlWiz[3] = buildFieldPanel();
    pnlWiz[0] = buildButtonPanel();
    staComment = named(new QStatusBar(this), "staComment");
    staComment->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 1; i <= 3; ++i) {
        pnlWiz[i]->setMinimumSize(px(4890), px(2040));
        pnlWiz[i]->hide();
        layout->addWidget(pnlWiz[i]);
    }
    layout->addWidget(pnlWiz[0], 0, Qt::AlignRight);
    layout->addWidget(staComment);
    // The dialog is exactly as large as its panel, buttons and status bar.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrderOfAll();
    Form_Load();
}

QWidget* frmWizSub::buildFilePanel() {
    auto* panel = named(new QWidget(this), "pnlWiz_1");
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(10, 10, 10, 6);
    rows->setSpacing(6);
    auto addRow = [rows](std::initializer_list<QWidget*> widgets, bool stretch = true) {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        for (QWidget* widget : widgets) row->addWidget(widget);
        if (stretch) row->addStretch();
        rows->addLayout(row);
    };

    txtFileDefName = named(new QLineEdit(panel), "txtFileDefName");
    auto* nameLabel = new QLabel(QStringLiteral("ファイル定義名:"), panel);
    nameLabel->setBuddy(txtFileDefName);
    addRow({nameLabel, txtFileDefName}, false);

    chkRecLenAll = named(new QCheckBox(QStringLiteral("全てのレコード長を同一にする:"), panel),
                         "chkRecLenAll");
    cmbRecLenAll = typedCombo("cmbRecLenAll", panel);
    for (const char* choice : kRecLenAllChoices) cmbRecLenAll->addItem(QString::fromUtf8(choice));
    cmbRecLenAll->setFixedWidth(90);
    addRow({chkRecLenAll, cmbRecLenAll});

    chkRecClass =
        named(new QCheckBox(QStringLiteral("識別区分を使用する ("), panel), "chkRecClass");
    txtRecClassPos = named(new QLineEdit(panel), "txtRecClassPos");
    txtRecClassPos->setFixedWidth(50);
    lblRecClassPos = named(new QLabel(QStringLiteral("桁目)"), panel), "lblRecClassPos");
    addRow({chkRecClass, txtRecClassPos, lblRecClassPos});

    chkTitleLine = named(new QCheckBox(QStringLiteral("1行目にフィールド名を出力する"), panel),
                         "chkTitleLine");
    addRow({chkTitleLine});

    cmbDelimiter = typedCombo("cmbDelimiter", panel);
    cmbDelimiter->setFixedWidth(70);
    auto* delimiterLabel = new QLabel(QStringLiteral("フィールド区切り記号:"), panel);
    delimiterLabel->setBuddy(cmbDelimiter);
    addRow({delimiterLabel, cmbDelimiter});

    // Host data: the records' code page and how they follow one another.
    cmbCodePage = named(new QComboBox(panel), "cmbCodePage");
    // Each page in words; the item's value is its name, as the definition stores it.
    for (const auto& choice : kInputCodePageChoices) {
        const std::string_view name = inputCodePageName(choice.value);
        cmbCodePage->addItem(QString::fromUtf8(choice.caption),
                             QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    }
    auto* codePageLabel = new QLabel(QStringLiteral("入力の文字コード:"), panel);
    codePageLabel->setBuddy(cmbCodePage);
    cmbRecordFormat = named(new QComboBox(panel), "cmbRecordFormat");
    for (const auto& choice : kRecordFormatChoices)
        cmbRecordFormat->addItem(QString::fromUtf8(choice.caption));
    auto* formatLabel = new QLabel(QStringLiteral("レコード形式:"), panel);
    formatLabel->setBuddy(cmbRecordFormat);
    addRow({codePageLabel, cmbCodePage, formatLabel, cmbRecordFormat});
    // Descriptor words as other tools write them; of use only behind descriptor words.
    cmbRdwByteOrder = named(new QComboBox(panel), "cmbRdwByteOrder");
    for (const auto& choice : kDescriptorByteOrderChoices)
        cmbRdwByteOrder->addItem(QString::fromUtf8(choice.caption));
    auto* byteOrderLabel = new QLabel(QStringLiteral("記述語のバイト順:"), panel);
    byteOrderLabel->setBuddy(cmbRdwByteOrder);
    cmbRdwLength = named(new QComboBox(panel), "cmbRdwLength");
    for (const auto& choice : kDescriptorLengthChoices)
        cmbRdwLength->addItem(QString::fromUtf8(choice.caption));
    auto* lengthLabel = new QLabel(QStringLiteral("記述語の長さ:"), panel);
    lengthLabel->setBuddy(cmbRdwLength);
    addRow({byteOrderLabel, cmbRdwByteOrder, lengthLabel, cmbRdwLength});
    rows->addStretch();
    connect(cmbRecordFormat, &QComboBox::currentIndexChanged, this, [this] {
        const bool described = choiceValue(kRecordFormatChoices, cmbRecordFormat->currentIndex()) !=
                               RecordFormat::Fixed;
        cmbRdwByteOrder->setEnabled(described);
        cmbRdwLength->setEnabled(described);
    });

    connect(chkRecLenAll, &QCheckBox::clicked, this, &frmWizSub::chkRecLenAll_Click);
    connect(chkRecClass, &QCheckBox::clicked, this, &frmWizSub::chkRecClass_Click);
    connect(cmbDelimiter, &QComboBox::editTextChanged, this, &frmWizSub::cmbDelimiter_Change);
    return panel;
}

QWidget* frmWizSub::buildRecordPanel() {
    auto* panel = named(new QWidget(this), "pnlWiz_2");
    QGridLayout* grid = panelGrid(panel);
    txtRecName = named(new QLineEdit(panel), "txtRecName");
    txtRecLen = named(new QLineEdit(panel), "txtRecLen");
    txtRecClass = named(new QLineEdit(panel), "txtRecClass");
    cmbRecParent = named(new QComboBox(panel), "cmbRecParent");
    lblRecClass = named(new QLabel(QStringLiteral("識別区分:"), panel), "lblRecClass");
    keepPlaceWhenHidden(lblRecClass);
    keepPlaceWhenHidden(txtRecClass);
    const std::pair<QLabel*, QWidget*> rows[] = {
        {new QLabel(QStringLiteral("レコード名:"), panel), txtRecName},
        {new QLabel(QStringLiteral("レコード長:"), panel), txtRecLen},
        {lblRecClass, txtRecClass},
        {new QLabel(QStringLiteral("親レコード:"), panel), cmbRecParent},
    };
    int row = 0;
    for (const auto& [label, input] : rows) {
        label->setBuddy(input);
        grid->addWidget(label, row, 0);
        grid->addWidget(input, row, 1);
        ++row;
    }
    // A record's varying table, as its definition gives it: shown, not edited here.
    lblRecVarying = named(new QLabel(panel), "lblRecVarying");
    lblRecVarying->setWordWrap(true);
    grid->addWidget(lblRecVarying, row++, 0, 1, 2);
    txtRecLen->setMaximumWidth(100);
    txtRecClass->setMaximumWidth(100);
    grid->setAlignment(txtRecLen, Qt::AlignLeft);
    grid->setAlignment(txtRecClass, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return panel;
}

QWidget* frmWizSub::buildFieldPanel() {
    auto* panel = named(new QWidget(this), "pnlWiz_3");
    QGridLayout* grid = panelGrid(panel);
    txtFldName = named(new QLineEdit(panel), "txtFldName");
    cmbFldType = named(new QComboBox(panel), "cmbFldType");
    // Each type in words; the item's value is its code, as the definition stores it.
    for (const FieldTypeChoice& choice : kFieldTypeChoices) {
        cmbFldType->addItem(QString::fromUtf8(choice.caption), QString::fromUtf8(choice.type));
    }
    txtFldSize = named(new QLineEdit(panel), "txtFldSize");
    lblFldDec = named(new QLabel(QStringLiteral("小数点以下桁数:"), panel), "lblFldDec");
    txtFldDec = named(new QLineEdit(panel), "txtFldDec");
    txtFldMemo = named(new QPlainTextEdit(panel), "txtFldMemo");
    txtFldMemo->setTabChangesFocus(true);
    txtFldMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Two lines high.
    const int line = txtFldMemo->fontMetrics().lineSpacing();
    txtFldMemo->setFixedHeight(2 * line + 2 * txtFldMemo->frameWidth() +
                               2 * static_cast<int>(txtFldMemo->document()->documentMargin()));
    keepPlaceWhenHidden(lblFldDec);
    keepPlaceWhenHidden(txtFldDec);
    txtFldSize->setMaximumWidth(70);
    txtFldDec->setMaximumWidth(50);
    cmbFldType->setMinimumWidth(70);

    auto label = [panel](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, panel);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(QStringLiteral("フィールド名:"), txtFldName), 0, 0);
    grid->addWidget(txtFldName, 0, 1, 1, 4);
    grid->addWidget(label(QStringLiteral("タイプ:"), cmbFldType), 1, 0);
    grid->addWidget(cmbFldType, 1, 1, Qt::AlignLeft);
    grid->addWidget(label(QStringLiteral("バイト数:"), txtFldSize), 2, 0);
    grid->addWidget(txtFldSize, 2, 1, Qt::AlignLeft);
    grid->addWidget(lblFldDec, 2, 2, Qt::AlignRight);
    grid->addWidget(txtFldDec, 2, 3, Qt::AlignLeft);
    grid->addWidget(buildHostFormGroup(panel), 3, 0, 1, 5);
    grid->addWidget(buildMarksGroup(panel), 4, 0, 1, 5);
    grid->addWidget(label(QStringLiteral("メモ:"), txtFldMemo), 5, 0, Qt::AlignTop);
    grid->addWidget(txtFldMemo, 5, 1, 1, 4);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(6, 1);
    connect(cmbFldType, &QComboBox::currentTextChanged, this, &frmWizSub::cmbFldType_Change);
    return panel;
}

QGroupBox* frmWizSub::buildHostFormGroup(QWidget* panel) {
    fraHostForm = named(new QGroupBox(QStringLiteral("ホストデータの形式"), panel), "fraHostForm");
    auto* grid = new QGridLayout(fraHostForm);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    cmbFldSign = named(new QComboBox(fraHostForm), "cmbFldSign");
    for (const auto& choice : kSignChoices) cmbFldSign->addItem(QString::fromUtf8(choice.caption));
    chkFldSigned = named(new QCheckBox(QStringLiteral("符号付き"), fraHostForm), "chkFldSigned");
    cmbFldByteOrder = named(new QComboBox(fraHostForm), "cmbFldByteOrder");
    for (const auto& choice : kByteOrderChoices)
        cmbFldByteOrder->addItem(QString::fromUtf8(choice.caption));
    txtFldScale = named(new QLineEdit(fraHostForm), "txtFldScale");
    txtFldScale->setMaximumWidth(50);
    auto label = [this](const char* name, const QString& text, QWidget* buddy) {
        auto* l = named(new QLabel(text, fraHostForm), name);
        l->setBuddy(buddy);
        return l;
    };
    lblFldSign = label("lblFldSign", QStringLiteral("符号の位置:"), cmbFldSign);
    lblFldBinary = label("lblFldBinary", QStringLiteral("バイナリ:"), chkFldSigned);
    lblFldByteOrder = label("lblFldByteOrder", QStringLiteral("バイト順:"), cmbFldByteOrder);
    lblFldScale = label("lblFldScale", QStringLiteral("位取り:"), txtFldScale);
    // What the number means: the value times 10 to its power, as COBOL's P positions.
    lblFldScaleNote =
        named(new QLabel(QStringLiteral("桁 (値×10のn乗。9(3)PPP は 3)"), fraHostForm),
              "lblFldScaleNote");

    grid->addWidget(lblFldSign, 0, 0);
    grid->addWidget(cmbFldSign, 0, 1, 1, 3, Qt::AlignLeft);
    grid->addWidget(lblFldBinary, 1, 0);
    grid->addWidget(chkFldSigned, 1, 1);
    grid->addWidget(lblFldByteOrder, 1, 2, Qt::AlignRight);
    grid->addWidget(cmbFldByteOrder, 1, 3, Qt::AlignLeft);
    grid->addWidget(lblFldScale, 2, 0);
    auto* scaleRow = new QHBoxLayout;
    scaleRow->setSpacing(4);
    scaleRow->addWidget(txtFldScale);
    scaleRow->addWidget(lblFldScaleNote);
    scaleRow->addStretch();
    grid->addLayout(scaleRow, 2, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    return fraHostForm;
}

QGroupBox* frmWizSub::buildMarksGroup(QWidget* panel) {
    fraFldMarks = named(new QGroupBox(QStringLiteral("集計と文字幅"), panel), "fraFldMarks");
    auto* grid = new QGridLayout(fraFldMarks);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    cmbFldTotal = named(new QComboBox(fraFldMarks), "cmbFldTotal");
    for (const auto& choice : kTotalChoices)
        cmbFldTotal->addItem(QString::fromUtf8(choice.caption));
    cmbFldTotalRecord = named(new QComboBox(fraFldMarks), "cmbFldTotalRecord");
    cmbFldTotalField = named(new QComboBox(fraFldMarks), "cmbFldTotalField");
    cmbFldTotalGroup = named(new QComboBox(fraFldMarks), "cmbFldTotalGroup");
    for (const TotalChoice& choice : totalRecordChoices(table_))
        cmbFldTotalRecord->addItem(q(choice.text), choice.value);
    for (const TotalChoice& choice : totalGroupChoices(table_))
        cmbFldTotalGroup->addItem(q(choice.text), choice.value);
    for (QComboBox* box : {cmbFldTotalRecord, cmbFldTotalField, cmbFldTotalGroup}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setMinimumWidth(120);
    }
    chkFldSingle = named(new QCheckBox(QStringLiteral("半角のみ"), fraFldMarks), "chkFldSingle");
    chkFldUpper =
        named(new QCheckBox(QStringLiteral("英小文字を大文字に"), fraFldMarks), "chkFldUpper");
    auto label = [this](const char* name, const QString& text, QWidget* buddy) {
        auto* l = named(new QLabel(text, fraFldMarks), name);
        l->setBuddy(buddy);
        return l;
    };
    lblFldTotal = label("lblFldTotal", QStringLiteral("集計:"), cmbFldTotal);
    lblFldTotalGroup = label("lblFldTotalGroup", QStringLiteral("区切り:"), cmbFldTotalGroup);
    lblFldTotalRecord =
        label("lblFldTotalRecord", QStringLiteral("集計するレコード:"), cmbFldTotalRecord);
    lblFldTotalField =
        label("lblFldTotalField", QStringLiteral("合計するフィールド:"), cmbFldTotalField);

    grid->addWidget(lblFldTotal, 0, 0);
    grid->addWidget(cmbFldTotal, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblFldTotalGroup, 0, 2, Qt::AlignRight);
    grid->addWidget(cmbFldTotalGroup, 0, 3, Qt::AlignLeft);
    grid->addWidget(lblFldTotalRecord, 1, 0);
    grid->addWidget(cmbFldTotalRecord, 1, 1, Qt::AlignLeft);
    grid->addWidget(lblFldTotalField, 1, 2, Qt::AlignRight);
    grid->addWidget(cmbFldTotalField, 1, 3, Qt::AlignLeft);
    grid->addWidget(chkFldSingle, 2, 0, 1, 2);
    grid->addWidget(chkFldUpper, 2, 2, 1, 2);
    grid->setColumnStretch(3, 1);
    connect(cmbFldTotal, &QComboBox::currentIndexChanged, this, &frmWizSub::enableMarks);
    connect(cmbFldTotalRecord, &QComboBox::currentIndexChanged, this,
            [this] { fillSummedFields(cmbFldTotalField->currentData().toInt()); });
    connect(chkFldSingle, &QCheckBox::toggled, this, &frmWizSub::enableMarks);
    return fraFldMarks;
}

QWidget* frmWizSub::buildButtonPanel() {
    auto* panel = named(new QWidget(this), "pnlWiz_0");
    cmdOk = named(new QPushButton(QStringLiteral("OK"), panel), "cmdOk");
    cmdCancel = named(new QPushButton(QStringLiteral("キャンセル"), panel), "cmdCancel");
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(px(2565 - 2 * 1140) / 2);
    for (QPushButton* button : {cmdOk, cmdCancel}) {
        // Enter in an input moves on; no button takes it over.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setMinimumSize(px(1140), px(390));
        row->addWidget(button);
    }
    connect(cmdOk, &QPushButton::clicked, this, &frmWizSub::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmWizSub::cmdCancel_Click);
    return panel;
}

void frmWizSub::setTabOrderOfAll() {
    QWidget* order[] = {txtRecName,
                        txtRecLen,
                        txtRecClass,
                        cmbRecParent,
                        txtFldName,
                        cmbFldType,
                        txtFldSize,
                        txtFldDec,
                        cmbFldSign,
                        chkFldSigned,
                        cmbFldByteOrder,
                        txtFldScale,
                        cmbFldTotal,
                        cmbFldTotalGroup,
                        cmbFldTotalRecord,
                        cmbFldTotalField,
                        chkFldSingle,
                        chkFldUpper,
                        txtFldMemo,
                        txtFileDefName,
                        chkRecLenAll,
                        cmbRecLenAll,
                        chkRecClass,
                        txtRecClassPos,
                        chkTitleLine,
                        cmbDelimiter,
                        cmbCodePage,
                        cmbRecordFormat,
                        cmbRdwByteOrder,
                        cmbRdwLength,
                        cmdOk,
                        cmdCancel};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    for (QWidget* control : order) watchKeys(control);
    focusOrder_.assign(std::begin(order), std::end(order));
}

void frmWizSub::focusNextInOrder(QWidget* from) {
    // The order is walked by hand, so that Enter goes where the order says: from the last input
    // of the panel on to OK, whose next Enter presses it.
    auto at = std::find_if(focusOrder_.begin(), focusOrder_.end(), [from](QWidget* w) {
        return w == from || (from != nullptr && w->isAncestorOf(from));
    });
    if (at == focusOrder_.end()) {
        focusNextChild();
        return;
    }
    const std::size_t start = static_cast<std::size_t>(at - focusOrder_.begin());
    for (std::size_t step = 1; step <= focusOrder_.size(); ++step) {
        QWidget* next = focusOrder_[(start + step) % focusOrder_.size()];
        if (next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)) {
            // Drawn as a focus moved by the keyboard: a focused button shows it.
            setAttribute(Qt::WA_KeyboardFocusChange);
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void frmWizSub::watchKeys(QWidget* control) {
    control->installEventFilter(this);
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
        combo->lineEdit()->installEventFilter(this);
    }
}

void frmWizSub::Form_Load() {
    const std::int32_t mode = editMode_;
    const RecordDefTable& table = table_;
    setWindowTitle(q(editDialogTitle(mode)));
    const std::int32_t panel = editPanelIndex(mode);
    QWidget* first = nullptr;
    if (panel == 1) {
        showFileInput(fillFileDefPanel(mode, table));
        first = txtFileDefName;
    } else if (panel == 2) {
        const RecordPanel fill = fillRecordPanel(mode, table, tree_);
        txtRecName->setText(q(fill.input.txtRecName));
        txtRecLen->setText(q(fill.input.txtRecLen));
        txtRecLen->setEnabled(fill.txtRecLenEnabled);
        txtRecClass->setText(q(fill.input.txtRecClass));
        lblRecClass->setVisible(fill.txtRecClassVisible);
        txtRecClass->setVisible(fill.txtRecClassVisible);
        for (const ParentChoice& choice : fill.parentChoices) {
            cmbRecParent->addItem(q(choice.text), choice.tag);
        }
        cmbRecParent->setCurrentIndex(std::max(0, cmbRecParent->findData(fill.input.cmbRecParent)));
        lblRecVarying->setText(q(fill.varyingTable));
        lblRecVarying->setVisible(!fill.varyingTable.empty());
        first = txtRecName;
    } else if (panel == 3) {
        const FieldInput fill = fillFieldPanel(mode, table, record_, sel_);
        txtFldName->setText(q(fill.txtFldName));
        // A type read from a file that the list does not offer stays what it was.
        if (cmbFldType->findData(q(fill.cmbFldType)) < 0) {
            cmbFldType->addItem(q(fill.cmbFldType), q(fill.cmbFldType));
        }
        cmbFldType->setCurrentIndex(cmbFldType->findData(q(fill.cmbFldType)));
        txtFldSize->setText(q(fill.txtFldSize));
        txtFldDec->setText(q(fill.txtFldDec));
        txtFldMemo->setPlainText(q(fill.txtFldMemo));
        cmbFldSign->setCurrentIndex(choiceIndex(kSignChoices, fill.cmbFldSign));
        chkFldSigned->setChecked(fill.chkFldSigned);
        cmbFldByteOrder->setCurrentIndex(choiceIndex(kByteOrderChoices, fill.cmbFldByteOrder));
        txtFldScale->setText(q(fill.txtFldScale));
        showMarks(fill);
        cmbFldType_Change();
        first = txtFldName;
    }
    for (int i = 1; i <= 3; ++i) pnlWiz[i]->setVisible(i == panel);
    if (first != nullptr) first->setFocus();
}

void frmWizSub::showFileInput(const FileDefInput& input) {
    txtFileDefName->setText(q(input.txtFileDefName));
    chkRecLenAll->setChecked(input.chkRecLenAll);
    cmbRecLenAll->setEditText(q(input.cmbRecLenAll));
    cmbRecLenAll->setEnabled(cmbRecLenAllEnabled(input));
    chkRecClass->setChecked(input.chkRecClass);
    txtRecClassPos->setText(q(input.txtRecClassPos));
    txtRecClassPos->setEnabled(txtRecClassPosEnabled(input));
    chkTitleLine->setChecked(input.chkTitleLine);
    if (cmbDelimiter->count() == 0) {
        for (const char* choice : kDelimiterChoices)
            cmbDelimiter->addItem(QString::fromUtf8(choice));
    }
    cmbDelimiter->setEditText(q(input.cmbDelimiter));
    cmbDelimiter_Change();
    cmbCodePage->setCurrentIndex(std::max(0, cmbCodePage->findData(q(input.cmbCodePage))));
    cmbRecordFormat->setCurrentIndex(choiceIndex(
        kRecordFormatChoices,
        parseOptionWord(kRecordFormatWords, input.cmbRecordFormat).value_or(RecordFormat::Fixed)));
    cmbRdwByteOrder->setCurrentIndex(
        choiceIndex(kDescriptorByteOrderChoices,
                    parseOptionWord(kDescriptorByteOrderWords, input.cmbRdwByteOrder)
                        .value_or(DescriptorByteOrder::Big)));
    cmbRdwLength->setCurrentIndex(choiceIndex(
        kDescriptorLengthChoices, parseOptionWord(kDescriptorLengthWords, input.cmbRdwLength)
                                      .value_or(DescriptorLength::Inclusive)));
    const bool described =
        parseOptionWord(kRecordFormatWords, input.cmbRecordFormat).value_or(RecordFormat::Fixed) !=
        RecordFormat::Fixed;
    cmbRdwByteOrder->setEnabled(described);
    cmbRdwLength->setEnabled(described);
}

void frmWizSub::chkRecLenAll_Click() {
    FileDefInput input = fileInput();
    setRecLenAll(input, chkRecLenAll->isChecked());
    cmbRecLenAll->setEditText(q(input.cmbRecLenAll));
    cmbRecLenAll->setEnabled(cmbRecLenAllEnabled(input));
}

void frmWizSub::chkRecClass_Click() {
    FileDefInput input = fileInput();
    setRecClass(input, chkRecClass->isChecked());
    txtRecClassPos->setText(q(input.txtRecClassPos));
    txtRecClassPos->setEnabled(txtRecClassPosEnabled(input));
}

void frmWizSub::cmbDelimiter_Change() {
    chkTitleLine->setEnabled(chkTitleLineEnabled(fileInput()));
}

void frmWizSub::cmbFldType_Change() {
    const std::string type = s(cmbFldType->currentData().toString());
    const bool visible = decimalsVisible(type);
    lblFldDec->setVisible(visible);
    txtFldDec->setVisible(visible);
    for (QWidget* w : {static_cast<QWidget*>(lblFldSign), static_cast<QWidget*>(cmbFldSign)})
        w->setEnabled(cmbFldSignEnabled(type));
    for (QWidget* w :
         {static_cast<QWidget*>(lblFldBinary), static_cast<QWidget*>(chkFldSigned),
          static_cast<QWidget*>(lblFldByteOrder), static_cast<QWidget*>(cmbFldByteOrder)}) {
        w->setEnabled(binaryFormEnabled(type));
    }
    for (QWidget* w : {static_cast<QWidget*>(lblFldScale), static_cast<QWidget*>(txtFldScale),
                       static_cast<QWidget*>(lblFldScaleNote)}) {
        w->setEnabled(txtFldScaleEnabled(type));
    }
    enableMarks();
}

void frmWizSub::showMarks(const FieldInput& input) {
    cmbFldTotal->setCurrentIndex(choiceIndex(kTotalChoices, input.cmbFldTotal));
    // A total read from a file that names no record shows none chosen, and OK says so; a field
    // without a total offers the first record for one.
    const int record = cmbFldTotalRecord->findData(input.cmbFldTotalRecord);
    cmbFldTotalRecord->setCurrentIndex(input.cmbFldTotal == TotalKind::None ? std::max(0, record)
                                                                            : record);
    fillSummedFields(input.cmbFldTotalField);
    cmbFldTotalGroup->setCurrentIndex(
        std::max(0, cmbFldTotalGroup->findData(input.cmbFldTotalGroup)));
    chkFldSingle->setChecked(input.chkFldSingle);
    chkFldUpper->setChecked(input.chkFldUpper);
}

void frmWizSub::fillSummedFields(std::int32_t keep) {
    const QSignalBlocker quiet(cmbFldTotalField);
    cmbFldTotalField->clear();
    const std::int32_t record =
        cmbFldTotalRecord->currentIndex() < 0 ? 0 : cmbFldTotalRecord->currentData().toInt();
    for (const TotalChoice& choice : totalFieldChoices(table_, record))
        cmbFldTotalField->addItem(q(choice.text), choice.value);
    cmbFldTotalField->setCurrentIndex(cmbFldTotalField->findData(keep));
    enableMarks();
}

void frmWizSub::enableMarks() {
    const FieldInput input = fieldInput();
    const bool total = cmbFldTotalEnabled(input.cmbFldType);
    for (QWidget* w : {static_cast<QWidget*>(lblFldTotal), static_cast<QWidget*>(cmbFldTotal)})
        w->setEnabled(total);
    for (QWidget* w :
         {static_cast<QWidget*>(lblFldTotalRecord), static_cast<QWidget*>(cmbFldTotalRecord),
          static_cast<QWidget*>(lblFldTotalGroup), static_cast<QWidget*>(cmbFldTotalGroup)}) {
        w->setEnabled(totalRecordEnabled(input));
    }
    for (QWidget* w :
         {static_cast<QWidget*>(lblFldTotalField), static_cast<QWidget*>(cmbFldTotalField)}) {
        w->setEnabled(cmbFldTotalFieldEnabled(input));
    }
    chkFldSingle->setEnabled(chkFldSingleEnabled(input.cmbFldType));
    chkFldUpper->setEnabled(chkFldUpperEnabled(input));
}

FileDefInput frmWizSub::fileInput() const {
    FileDefInput input;
    input.txtFileDefName = s(txtFileDefName->text());
    input.chkRecLenAll = chkRecLenAll->isChecked();
    input.cmbRecLenAll = s(cmbRecLenAll->currentText());
    input.chkRecClass = chkRecClass->isChecked();
    input.txtRecClassPos = s(txtRecClassPos->text());
    input.chkTitleLine = chkTitleLine->isChecked();
    input.cmbDelimiter = s(cmbDelimiter->currentText());
    input.cmbCodePage = s(cmbCodePage->currentData().toString());
    input.cmbRecordFormat = std::string(optionWord(
        kRecordFormatWords, choiceValue(kRecordFormatChoices, cmbRecordFormat->currentIndex())));
    input.cmbRdwByteOrder = std::string(
        optionWord(kDescriptorByteOrderWords,
                   choiceValue(kDescriptorByteOrderChoices, cmbRdwByteOrder->currentIndex())));
    input.cmbRdwLength =
        std::string(optionWord(kDescriptorLengthWords, choiceValue(kDescriptorLengthChoices,
                                                                   cmbRdwLength->currentIndex())));
    return input;
}

RecordInput frmWizSub::recordInput() const {
    RecordInput input;
    input.txtRecName = s(txtRecName->text());
    input.txtRecLen = s(txtRecLen->text());
    input.txtRecClass = txtRecClass->isVisibleTo(pnlWiz[2]) ? s(txtRecClass->text()) : "";
    input.cmbRecParent = cmbRecParent->currentData().toInt();
    return input;
}

FieldInput frmWizSub::fieldInput() const {
    FieldInput input;
    input.txtFldName = s(txtFldName->text());
    input.cmbFldType = s(cmbFldType->currentData().toString());
    input.txtFldSize = s(txtFldSize->text());
    input.txtFldDec = s(txtFldDec->text());
    input.txtFldMemo = s(txtFldMemo->toPlainText());
    input.cmbFldSign = choiceValue(kSignChoices, cmbFldSign->currentIndex());
    input.chkFldSigned = chkFldSigned->isChecked();
    input.cmbFldByteOrder = choiceValue(kByteOrderChoices, cmbFldByteOrder->currentIndex());
    input.txtFldScale = s(txtFldScale->text());
    input.cmbFldTotal = choiceValue(kTotalChoices, cmbFldTotal->currentIndex());
    auto chosen = [](const QComboBox* box) {
        return box->currentIndex() < 0 ? 0 : box->currentData().toInt();
    };
    input.cmbFldTotalRecord = chosen(cmbFldTotalRecord);
    input.cmbFldTotalField = chosen(cmbFldTotalField);
    input.cmbFldTotalGroup = chosen(cmbFldTotalGroup);
    input.chkFldSingle = chkFldSingle->isChecked();
    input.chkFldUpper = chkFldUpper->isChecked();
    return input;
}

QWidget* frmWizSub::control(EditControl which) const {
    switch (which) {
        case EditControl::txtFileDefName:
            return txtFileDefName;
        case EditControl::cmbRecLenAll:
            return cmbRecLenAll;
        case EditControl::txtRecClassPos:
            return txtRecClassPos;
        case EditControl::txtRecName:
            return txtRecName;
        case EditControl::txtRecLen:
            return txtRecLen;
        case EditControl::txtRecClass:
            return txtRecClass;
        case EditControl::cmbRecParent:
            return cmbRecParent;
        case EditControl::txtFldName:
            return txtFldName;
        case EditControl::cmbFldType:
            return cmbFldType;
        case EditControl::txtFldSize:
            return txtFldSize;
        case EditControl::txtFldDec:
            return txtFldDec;
        case EditControl::cmbFldSign:
            return cmbFldSign;
        case EditControl::chkFldSigned:
            return chkFldSigned;
        case EditControl::cmbFldByteOrder:
            return cmbFldByteOrder;
        case EditControl::txtFldScale:
            return txtFldScale;
        case EditControl::cmbFldTotal:
            return cmbFldTotal;
        case EditControl::cmbFldTotalRecord:
            return cmbFldTotalRecord;
        case EditControl::cmbFldTotalField:
            return cmbFldTotalField;
        case EditControl::cmbFldTotalGroup:
            return cmbFldTotalGroup;
        case EditControl::chkFldSingle:
            return chkFldSingle;
        case EditControl::txtFldMemo:
            return txtFldMemo;
    }
    return nullptr;
}

void frmWizSub::cmdOk_Click() {
    const std::int32_t mode = editMode_;
    RecordDefTable& table = table_;
    EditOutcome outcome = EditEffect::NothingToEdit;
    switch (editPanelIndex(mode)) {
        case 1: {
            FileDefInput input = fileInput();
            outcome = submitFileDef(mode, input, table, tree_);
            chkTitleLine->setChecked(input.chkTitleLine);
            break;
        }
        case 2:
            outcome = submitRecord(mode, recordInput(), table, tree_);
            break;
        case 3:
            outcome = submitField(mode, fieldInput(), table, record_, sel_);
            break;
        default:
            break;
    }
    if (!outcome) {
        const EditError& error = outcome.error();
        MessageBox::show(this, q(error.message), QString(), error.icon);
        if (QWidget* input = control(error.focus)) {
            input->setFocus(Qt::OtherFocusReason);
            if (auto* line = qobject_cast<QLineEdit*>(input)) line->selectAll();
            if (auto* combo = qobject_cast<QComboBox*>(input); combo && combo->lineEdit()) {
                combo->lineEdit()->selectAll();
            }
        }
        return;
    }
    if (*outcome == EditEffect::NothingToEdit) {
        // Nothing to edit (the record or field has gone): the same as a cancel.
        reject();
        return;
    }
    accept();
}

bool frmWizSub::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter) {
            // On a button Enter presses it, as Space does; elsewhere it moves on as Tab would.
            if (auto* button = qobject_cast<QPushButton*>(watched)) {
                button->click();
            } else {
                focusNextInOrder(qobject_cast<QWidget*>(watched));
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            cmdCancel_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmWizSub::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextInOrder(QApplication::focusWidget());
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace sorvek
