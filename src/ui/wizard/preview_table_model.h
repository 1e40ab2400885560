#pragma once
// The table of the preview: one row per record, the record's number, offset and kind, then one
// column per field, and with records of several kinds a heading row naming a kind's fields before
// each run of its records (editor/preview_rows.h) (for records made from a text, the number and
// offset of the line each was made of, and a row of its own for a line that makes none). Rows are
// tinted by kind; a mark tints its cell and explains itself in the tooltip; the field under the
// mouse (in the table or on the byte ruler) is highlighted.
#include <QAbstractTableModel>

#include "editor/data_preview.h"
#include "editor/preview_rows.h"

namespace sorvek {

class PreviewTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Columns before the fields.
    static constexpr int kNumberColumn = 0;
    static constexpr int kOffsetColumn = 1;
    static constexpr int kKindColumn = 2;
    static constexpr int kFirstFieldColumn = 3;

    // `table` and `source` must outlive the model; they are read again whenever it is shown.
    PreviewTableModel(const RecordDefTable& table, const PreviewSource& source,
                      QObject* parent = nullptr);

    // Shows `preview` (built from the table and source given above).
    void setPreview(Preview preview);
    // The field names of kind `kind` head the columns (those of the record the user is looking
    // at); other values go back to the preview's own heads.
    void setHeaderKind(int kind);
    const Preview& preview() const { return preview_; }
    // The record (index into preview().rows) at table row `row`, or -1 for a heading row.
    int recordAt(int row) const {
        return row < 0 ? -1 : rows_.recordAt(static_cast<std::size_t>(row));
    }
    // The table row of record `record`, or -1.
    int rowOf(int record) const {
        return record < 0 ? -1 : rows_.rowOf(static_cast<std::size_t>(record));
    }
    // The kind a heading row names; 0 for a record's row.
    int headingKind(int row) const {
        return row < 0 ? 0 : rows_.headingKind(static_cast<std::size_t>(row));
    }
    // Highlights field `field` (-1 for none) in the rows of kind `kind` (each kind has fields
    // of its own under the same columns).
    void setHighlightedField(int field, int kind);
    int highlightedField() const { return highlighted_; }
    int highlightedKind() const { return highlightedKind_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Background of the rows of kind `kind` (0: unknown), and of marked cells.
    static QColor kindColor(int kind);
    static QColor markColor(CellMark mark);
    static QColor rowMarkColor();
    static QColor markedRowColor();
    static QColor highlightColor();
    static QColor headingColor();

  private:
    QVariant headingData(int kind, const QModelIndex& index, int role) const;

    const RecordDefTable& table_;
    const PreviewSource& source_;
    Preview preview_;
    PreviewRows rows_;
    int highlighted_ = -1;
    int highlightedKind_ = 0;
    int headerKind_ = 0;
};

}  // namespace sorvek
