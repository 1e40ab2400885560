#include "ui/wizard/preview_table_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "platform/number_text.h"
#include "ui/widgets/ui_text.h"

namespace sorvek {

PreviewTableModel::PreviewTableModel(const RecordDefTable& table, const PreviewSource& source,
                                     QObject* parent)
    : QAbstractTableModel(parent), table_(table), source_(source) {}

void PreviewTableModel::setPreview(Preview preview) {
    beginResetModel();
    preview_ = std::move(preview);
    rows_ = PreviewRows(table_, preview_);
    headerKind_ = 0;
    endResetModel();
}

void PreviewTableModel::setHeaderKind(int kind) {
    // Heading rows name the fields; the heads then only number the columns.
    if (kind == headerKind_ || rows_.headed()) return;
    headerKind_ = kind;
    if (columnCount() > kFirstFieldColumn) {
        emit headerDataChanged(Qt::Horizontal, kFirstFieldColumn, columnCount() - 1);
    }
}

void PreviewTableModel::setHighlightedField(int field, int kind) {
    if (field == highlighted_ && kind == highlightedKind_) return;
    const int before = highlighted_;
    highlighted_ = field;
    highlightedKind_ = kind;
    for (int f : {before, field}) {
        if (f < 0 || rowCount() == 0) continue;
        const int column = kFirstFieldColumn + f;
        if (column < columnCount()) {
            emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::BackgroundRole});
        }
    }
}

int PreviewTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PreviewTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0
                            : kFirstFieldColumn + static_cast<int>(preview_.columnTitles.size());
}

QColor PreviewTableModel::kindColor(int kind) {
    if (kind <= 0) return QColor(0xE0, 0xE0, 0xE0);
    // Pale tints that stay readable behind black text and apart from the marks' colours.
    static const QColor tints[] = {QColor(0xFF, 0xFF, 0xFF), QColor(0xE6, 0xF0, 0xFF),
                                   QColor(0xE8, 0xF7, 0xE4), QColor(0xF4, 0xEC, 0xFA),
                                   QColor(0xE4, 0xF6, 0xF6), QColor(0xF7, 0xF3, 0xE0)};
    return tints[(kind - 1) % 6];
}

QColor PreviewTableModel::markColor(CellMark mark) {
    switch (mark) {
        case CellMark::InvalidValue:
        case CellMark::WrongTotal:
            return QColor(0xFF, 0xB8, 0xB8);
        case CellMark::SplitStart:
        case CellMark::SplitEnd:
            return QColor(0xFF, 0xD8, 0x9C);
        case CellMark::Outside:
            return QColor(0xC8, 0xC8, 0xC8);
        case CellMark::None:
            break;
    }
    return {};
}

QColor PreviewTableModel::rowMarkColor() {
    return QColor(0xFF, 0x9E, 0x9E);
}

QColor PreviewTableModel::markedRowColor() {
    return QColor(0xFF, 0xDC, 0xDC);
}

QColor PreviewTableModel::headingColor() {
    return QColor(0x5A, 0x6E, 0x8C);
}

QColor PreviewTableModel::highlightColor() {
    return QColor(0xFF, 0xF0, 0x8C);
}

QVariant PreviewTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (const int kind = headingKind(index.row()); kind != 0) return headingData(kind, index, role);
    const PreviewRow& row = preview_.rows[static_cast<std::size_t>(recordAt(index.row()))];
    const int column = index.column();
    const int field = column - kFirstFieldColumn;
    const bool hasCell = field >= 0 && static_cast<std::size_t>(field) < row.cells.size();
    const PreviewCell* cell = hasCell ? &row.cells[static_cast<std::size_t>(field)] : nullptr;
    switch (role) {
        case Qt::DisplayRole:
            if (column == kNumberColumn) {
                return q((row.mark != RowMark::None ? "⚠ " : "") + groupedNumber(row.number));
            }
            if (column == kOffsetColumn) return q(groupedNumber(row.offset));
            if (column == kKindColumn) {
                if (row.mark == RowMark::LineFails) return QStringLiteral("(エラー)");
                if (preview_.uncut) return QStringLiteral("(定義なし)");
                return table_.isRecordIndex(row.kind)
                           ? q(table_[static_cast<std::size_t>(row.kind)].Name)
                           : QStringLiteral("(不明)");
            }
            return cell != nullptr ? q(cell->text) : QVariant();
        case Qt::ToolTipRole:
            if (field < 0) {
                const std::string length =
                    groupedNumber(static_cast<std::int64_t>(row.length)) + " バイト";
                std::string tip = "レコード " + groupedNumber(row.number) + "、オフセット " +
                                  groupedNumber(row.offset) + "、" + length;
                if (preview_.fromText) {
                    tip = row.kind != 0
                              ? "行 " + groupedNumber(row.number) + " (オフセット " +
                                    groupedNumber(row.offset) + ") から作ったレコード、" + length
                              : "行 " + groupedNumber(row.number) + "、オフセット " +
                                    groupedNumber(row.offset) + "、" + length;
                }
                if (row.mark != RowMark::None) tip += "\n" + rowMarkText(row.mark);
                return q(tip);
            }
            return cell != nullptr
                       ? q(cellTip(table_, source_, row, static_cast<std::size_t>(field)))
                       : QVariant();
        case Qt::BackgroundRole:
            if (field < 0 && row.mark != RowMark::None) return QBrush(rowMarkColor());
            if (cell != nullptr && cell->mark != CellMark::None &&
                (cell->written || cell->mark == CellMark::Outside)) {
                return QBrush(markColor(cell->mark));
            }
            if (field >= 0 && field == highlighted_ && row.kind == highlightedKind_ &&
                !preview_.uncut) {
                return QBrush(highlightColor());
            }
            // A marked record is tinted whole, so that it shows wherever the table is scrolled.
            if (row.mark != RowMark::None) return QBrush(markedRowColor());
            // A line of a file no definition cuts is of no kind, and of no unknown one either.
            if (preview_.uncut) return QBrush(kindColor(1));
            return QBrush(kindColor(row.kind));
        case Qt::ForegroundRole:
            if (cell != nullptr && !cell->written) return QBrush(QColor(0x80, 0x80, 0x80));
            return {};
        case Qt::TextAlignmentRole:
            if (column == kNumberColumn || column == kOffsetColumn) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return {};
        default:
            return {};
    }
}

QVariant PreviewTableModel::headingData(int kind, const QModelIndex& index, int role) const {
    const RecordDef& record = table_[static_cast<std::size_t>(kind)];
    const int field = index.column() - kFirstFieldColumn;
    const bool named = field >= 0 && static_cast<std::size_t>(field) < record.Fields.size();
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == kKindColumn) return q(record.Name);
            return named ? q(record.Fields[static_cast<std::size_t>(field)].Name) : QVariant();
        case Qt::ToolTipRole:
            return QStringLiteral("この下の「%1」のレコードのフィールド名").arg(q(record.Name));
        case Qt::FontRole: {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        case Qt::BackgroundRole:
            return QBrush(headingColor());
        case Qt::ForegroundRole:
            return QBrush(Qt::white);
        default:
            return {};
    }
}

Qt::ItemFlags PreviewTableModel::flags(const QModelIndex& index) const {
    // A heading row is no record: it is not chosen.
    if (headingKind(index.row()) != 0) return Qt::ItemIsEnabled;
    return QAbstractTableModel::flags(index);
}

QVariant PreviewTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section == kNumberColumn) {
        return preview_.fromText ? QStringLiteral("行") : QStringLiteral("No.");
    }
    if (section == kOffsetColumn) return QStringLiteral("オフセット");
    if (section == kKindColumn) return QStringLiteral("レコード");
    const auto f = static_cast<std::size_t>(section - kFirstFieldColumn);
    if (rows_.headed()) return QString::number(f + 1);
    if (table_.isRecordIndex(headerKind_)) {
        const auto& fields = table_[static_cast<std::size_t>(headerKind_)].Fields;
        return f < fields.size() ? q(fields[f].Name) : QVariant();
    }
    return f < preview_.columnTitles.size() ? q(preview_.columnTitles[f]) : QVariant();
}

}  // namespace sorvek
