#include "ui/dialogs/frm_output_format.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/ui_text.h"

namespace sorvek {
namespace {

template <typename E, std::size_t N>
QComboBox* choiceBox(const std::array<OutputChoice<E>, N>& choices, E value, const char* name,
                     QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (const OutputChoice<E>& c : choices) box->addItem(q(c.caption));
    box->setCurrentIndex(choiceIndex(choices, value));
    return box;
}

template <typename E, std::size_t N>
E chosen(const std::array<OutputChoice<E>, N>& choices, const QComboBox* box) {
    const int i = box->currentIndex();
    return choices[static_cast<std::size_t>(i < 0 ? 0 : i)].value;
}

}  // namespace

frmOutputFormat::frmOutputFormat(RecordDefTable& table, QWidget* parent)
    : QDialog(parent), table_(table), form_(loadOutputFormat(table)) {
    setObjectName(QStringLiteral("frmOutputFormat"));
    setWindowTitle(q(kOutputFormatTitle));
    const CsvOutputOptions& o = form_.options;
    cmbFormat = choiceBox(kFormatChoices, o.format, "cmbFormat", this);
    cmbEncoding = choiceBox(kEncodingChoices, o.encoding, "cmbEncoding", this);
    cmbQuote = choiceBox(kQuotingChoices, o.quoting, "cmbQuote", this);
    chkTrim =
        new QCheckBox(QStringLiteral("文字項目 (X) の末尾の空白 (半角・全角) を取り除く"), this);
    chkTrim->setObjectName(QStringLiteral("chkTrim"));
    chkTrim->setChecked(o.trimBlanks);
    cmbZonedSign = choiceBox(kZonedSignChoices, o.zonedSign, "cmbZonedSign", this);
    lstLeadingSign = new QListWidget(this);
    lstLeadingSign->setObjectName(QStringLiteral("lstLeadingSign"));
    for (const OutputFormatForm::ZonedField& z : form_.zonedFields) {
        auto* item = new QListWidgetItem(q(z.caption), lstLeadingSign);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(z.leadingSign ? Qt::Checked : Qt::Unchecked);
    }
    lstLeadingSign->setMinimumHeight(90);
    cmbInvalidPacked = choiceBox(kInvalidPackedChoices, o.invalidPacked, "cmbInvalidPacked", this);
    cmbLineEnd = choiceBox(kLineEndChoices, o.lineEnd, "cmbLineEnd", this);
    chkSplitKinds = new QCheckBox(q(kSplitKindsCaption), this);
    chkSplitKinds->setObjectName(QStringLiteral("chkSplitKinds"));
    chkSplitKinds->setChecked(o.splitKinds);

    auto* xlsxNote = new QLabel(q(kXlsxNameNote), this);
    xlsxNote->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("形式:"), cmbFormat);
    form->addRow(QString(), xlsxNote);
    form->addRow(QStringLiteral("文字コード:"), cmbEncoding);
    form->addRow(QStringLiteral("引用符 (\"):"), cmbQuote);
    form->addRow(QString(), chkTrim);
    form->addRow(QStringLiteral("ゾーン10進数 (9) の符号:"), cmbZonedSign);
    form->addRow(QStringLiteral("符号が最初の桁にあるフィールド:"), lstLeadingSign);
    form->addRow(QStringLiteral("不正なパック10進数 (P):"), cmbInvalidPacked);
    form->addRow(QStringLiteral("改行:"), cmbLineEnd);
    form->addRow(QString(), chkSplitKinds);

    auto* note = new QLabel(
        QStringLiteral("1行目のフィールド名と区切り記号はファイル定義で指定します。\n"
                       "既定 (Shift-JIS・囲まない・空白を残す) は従来どおりの固定幅の出力です。"),
        this);
    note->setWordWrap(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addLayout(buttons);

    connect(cmbZonedSign, &QComboBox::currentIndexChanged, this,
            &frmOutputFormat::zonedSignChanged);
    connect(cmbFormat, &QComboBox::currentIndexChanged, this, &frmOutputFormat::formatChanged);
    connect(cmdOK, &QPushButton::clicked, this, &frmOutputFormat::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    zonedSignChanged();
    formatChanged();
}

OutputFormatForm frmOutputFormat::formFromControls() const {
    OutputFormatForm form = form_;
    form.options.format = chosen(kFormatChoices, cmbFormat);
    form.options.encoding = chosen(kEncodingChoices, cmbEncoding);
    form.options.quoting = chosen(kQuotingChoices, cmbQuote);
    form.options.trimBlanks = chkTrim->isChecked();
    form.options.zonedSign = chosen(kZonedSignChoices, cmbZonedSign);
    form.options.invalidPacked = chosen(kInvalidPackedChoices, cmbInvalidPacked);
    form.options.lineEnd = chosen(kLineEndChoices, cmbLineEnd);
    form.options.splitKinds = chkSplitKinds->isChecked();
    for (int i = 0; i < lstLeadingSign->count(); ++i) {
        form.zonedFields[static_cast<std::size_t>(i)].leadingSign =
            lstLeadingSign->item(i)->checkState() == Qt::Checked;
    }
    return form;
}

void frmOutputFormat::zonedSignChanged() {
    lstLeadingSign->setEnabled(formFromControls().zonedFieldsEnabled());
}

void frmOutputFormat::formatChanged() {
    const bool text = formFromControls().textOptionsEnabled();
    for (QWidget* w : {static_cast<QWidget*>(cmbEncoding), static_cast<QWidget*>(cmbQuote),
                       static_cast<QWidget*>(cmbLineEnd), static_cast<QWidget*>(chkSplitKinds)}) {
        w->setEnabled(text);
    }
}

void frmOutputFormat::cmdOK_Click() {
    applyOutputFormat(formFromControls(), table_);
    accept();
}

}  // namespace sorvek
