#pragma once
// The byte ruler of the preview: the bytes of one record in hex, sixteen to a line, and beside
// each line what its bytes read as (editor/byte_text.h), with the fields of its kind laid over
// the hex (a tint per field, a line at every field boundary, the
// field's name above its first byte). The field under the mouse is highlighted and announced,
// so that the table can highlight its column; the table can highlight a field here in turn.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "editor/data_preview.h"

namespace sorvek {

class ByteRuler : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kBytesPerLine = 16;
    // Bytes of a record shown at most.
    static constexpr int kMostBytes = 16 * 1024;

    explicit ByteRuler(QWidget* parent = nullptr);

    // Shows `bytes` with `spans` over them, under the caption `caption`.
    void setRecord(const QByteArray& bytes, std::vector<RulerSpan> spans, const QString& caption);
    void clear(const QString& caption);
    // The text beside each line of bytes (given after setRecord, which drops the previous one).
    void setLineTexts(const QStringList& lines);
    const QStringList& lineTexts() const { return texts_; }
    // The tooltip of field `field` (given by the page, which knows the definition).
    void setFieldTip(std::function<QString(int field)> tip) { fieldTip_ = std::move(tip); }

    void setHighlightedField(int field);
    int highlightedField() const { return highlighted_; }
    const std::vector<RulerSpan>& spans() const { return spans_; }
    const QByteArray& bytes() const { return bytes_; }

    // Where byte `index` of the record is drawn, the byte at `point` (-1 for none) and the
    // field there, as fieldAtByte tells it from the spans shown (-1 for none).
    QRect byteRect(std::size_t index) const;
    int byteAt(const QPoint& point) const;
    int fieldAt(const QPoint& point) const;
    // The x of the line drawn before byte `index` (a field boundary there).
    int boundaryX(std::size_t index) const;
    static QColor boundaryColor();
    static QColor spanColor(std::size_t spanIndex, bool written);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // The mouse moved onto field `field` (-1: off the fields).
    void fieldHovered(int field);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    int lineTop(int line) const;
    int lineCount() const;

    QByteArray bytes_;
    std::vector<RulerSpan> spans_;
    QString caption_;
    QStringList texts_;
    int highlighted_ = -1;
    std::function<QString(int)> fieldTip_;
    // Metrics of the fixed-pitch font.
    int charWidth_ = 8;
    int nameHeight_ = 14;
    int byteHeight_ = 18;
    int captionHeight_ = 20;
    int left_ = 48;
};

}  // namespace sorvek
