#include "ui/wizard/byte_ruler.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/wizard/preview_table_model.h"

namespace sorvek {

ByteRuler::ByteRuler(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics fm(font());
    charWidth_ = fm.horizontalAdvance(QLatin1Char('0'));
    nameHeight_ = fm.height();
    byteHeight_ = fm.height() + 4;
    captionHeight_ = fm.height() + 6;
    left_ = charWidth_ * 6;
}

void ByteRuler::setRecord(const QByteArray& bytes, std::vector<RulerSpan> spans,
                          const QString& caption) {
    // A record of megabytes would make a ruler too long to use: its start is shown.
    bytes_ = bytes.left(kMostBytes);
    spans_.clear();
    for (RulerSpan& span : spans) {
        if (span.begin >= static_cast<std::size_t>(bytes_.size())) continue;
        span.end = std::min(span.end, static_cast<std::size_t>(bytes_.size()));
        spans_.push_back(std::move(span));
    }
    caption_ = caption;
    texts_.clear();
    if (bytes.size() > kMostBytes) {
        caption_ += QStringLiteral("  (先頭 %1 バイトを表示)").arg(kMostBytes);
    }
    updateGeometry();
    update();
}

void ByteRuler::clear(const QString& caption) {
    setRecord({}, {}, caption);
}

void ByteRuler::setLineTexts(const QStringList& lines) {
    texts_ = lines;
    updateGeometry();
    update();
}

void ByteRuler::setHighlightedField(int field) {
    if (field == highlighted_) return;
    highlighted_ = field;
    update();
}

int ByteRuler::lineCount() const {
    return static_cast<int>((bytes_.size() + kBytesPerLine - 1) / kBytesPerLine);
}

int ByteRuler::lineTop(int line) const {
    return captionHeight_ + line * (nameHeight_ + byteHeight_);
}

QRect ByteRuler::byteRect(std::size_t index) const {
    const int line = static_cast<int>(index / kBytesPerLine);
    const int column = static_cast<int>(index % kBytesPerLine);
    return QRect(left_ + column * 3 * charWidth_, lineTop(line) + nameHeight_, 3 * charWidth_,
                 byteHeight_);
}

int ByteRuler::boundaryX(std::size_t index) const {
    return byteRect(index).left();
}

int ByteRuler::byteAt(const QPoint& point) const {
    for (int line = 0; line < lineCount(); ++line) {
        const int top = lineTop(line);
        if (point.y() < top || point.y() >= top + nameHeight_ + byteHeight_) continue;
        const int column = (point.x() - left_) / (3 * charWidth_);
        if (point.x() < left_ || column >= kBytesPerLine) return -1;
        const int index = line * kBytesPerLine + column;
        return index < bytes_.size() ? index : -1;
    }
    return -1;
}

int ByteRuler::fieldAt(const QPoint& point) const {
    const int at = byteAt(point);
    return at < 0 ? -1 : fieldAtByte(spans_, static_cast<std::size_t>(at));
}

QColor ByteRuler::boundaryColor() {
    return QColor(0x1F, 0x3A, 0x93);
}

QColor ByteRuler::spanColor(std::size_t spanIndex, bool written) {
    if (!written) return spanIndex % 2 == 0 ? QColor(0xEC, 0xEC, 0xEC) : QColor(0xDC, 0xDC, 0xDC);
    return spanIndex % 2 == 0 ? QColor(0xD6, 0xE6, 0xFF) : QColor(0xD8, 0xF2, 0xD0);
}

QSize ByteRuler::sizeHint() const {
    // The text column: a character cell per byte, and two for the gap before it.
    return QSize(left_ + kBytesPerLine * 4 * charWidth_ + 3 * charWidth_,
                 lineTop(std::max(lineCount(), 1)) + 4);
}

QSize ByteRuler::minimumSizeHint() const {
    return sizeHint();
}

void ByteRuler::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Only the lines in the exposed area are drawn.
    const int lineHeight = nameHeight_ + byteHeight_;
    const int firstLine = std::max(0, (event->rect().top() - captionHeight_) / lineHeight);
    const int lastLine =
        std::min(lineCount() - 1, (event->rect().bottom() - captionHeight_) / lineHeight);
    const std::size_t firstByte = static_cast<std::size_t>(firstLine) * kBytesPerLine;
    const std::size_t endByte =
        std::min<std::size_t>(static_cast<std::size_t>(lastLine + 1) * kBytesPerLine,
                              static_cast<std::size_t>(bytes_.size()));
    painter.setFont(font());
    const QFontMetrics fm(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(4, 0, width() - 8, captionHeight_), Qt::AlignLeft | Qt::AlignVCenter,
                     caption_);

    // The fields' tints, line by line.
    for (std::size_t s = 0; s < spans_.size(); ++s) {
        const RulerSpan& span = spans_[s];
        QColor tint = spanColor(s, span.written);
        if (span.field == highlighted_) tint = PreviewTableModel::highlightColor();
        // A mark shows whatever else is going on; the highlight then shows as a frame.
        if (span.written && span.mark != CellMark::None) {
            tint = PreviewTableModel::markColor(span.mark);
        }
        for (std::size_t i = span.begin; i < span.end;) {
            const std::size_t lineEnd = std::min(span.end, (i / kBytesPerLine + 1) * kBytesPerLine);
            QRect area = byteRect(i).united(byteRect(lineEnd - 1));
            area.setTop(area.top() - nameHeight_);
            painter.fillRect(area, tint);
            i = lineEnd;
        }
    }
    // Positions (1-based, as in the definition) and the bytes.
    for (int line = firstLine; line <= lastLine; ++line) {
        painter.setPen(QColor(0x70, 0x70, 0x70));
        painter.drawText(QRect(0, lineTop(line) + nameHeight_, left_ - charWidth_, byteHeight_),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(line * kBytesPerLine + 1));
    }
    painter.setPen(palette().color(QPalette::WindowText));
    for (std::size_t i = firstByte; i < endByte; ++i) {
        const auto b = static_cast<unsigned char>(bytes_[static_cast<qsizetype>(i)]);
        painter.drawText(byteRect(i), Qt::AlignCenter,
                         QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
    }
    // What each line reads as, beside its bytes.
    const int textLeft = left_ + kBytesPerLine * 3 * charWidth_ + 2 * charWidth_;
    painter.setPen(QColor(0x30, 0x30, 0x30));
    for (int line = firstLine; line <= lastLine && line < texts_.size(); ++line) {
        painter.drawText(
            QRect(textLeft, lineTop(line) + nameHeight_, width() - textLeft, byteHeight_),
            Qt::AlignLeft | Qt::AlignVCenter, texts_[line]);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    // The frame of the highlighted field, line by line.
    for (const RulerSpan& span : spans_) {
        if (span.field != highlighted_ || span.end <= firstByte || span.begin >= endByte) continue;
        painter.setPen(QPen(QColor(0xE0, 0x8A, 0x00), 2));
        for (std::size_t i = span.begin; i < span.end;) {
            const std::size_t lineEnd = std::min(span.end, (i / kBytesPerLine + 1) * kBytesPerLine);
            painter.drawRect(byteRect(i).united(byteRect(lineEnd - 1)).adjusted(1, 1, -1, -1));
            i = lineEnd;
        }
    }
    // The boundaries, and each field's name above its first byte.
    QPen boundary(boundaryColor());
    boundary.setWidth(2);
    for (const RulerSpan& span : spans_) {
        if (span.end < firstByte || span.begin > endByte) continue;
        for (std::size_t edge : {span.begin, span.end}) {
            const bool atLineEnd = edge > 0 && edge % kBytesPerLine == 0;
            const QRect r = atLineEnd ? byteRect(edge - 1) : byteRect(edge);
            const int x = atLineEnd ? r.right() + 1 : r.left();
            painter.setPen(boundary);
            painter.drawLine(x, r.top() - nameHeight_ + 1, x, r.bottom());
        }
        const std::size_t nameEnd =
            std::min(span.end, (span.begin / kBytesPerLine + 1) * kBytesPerLine);
        QRect nameArea = byteRect(span.begin).united(byteRect(nameEnd - 1));
        nameArea.setBottom(nameArea.top() - 1);
        nameArea.setTop(nameArea.top() - nameHeight_);
        nameArea.adjust(4, 0, -2, 0);
        painter.setPen(span.written ? QColor(0x10, 0x10, 0x10) : QColor(0x80, 0x80, 0x80));
        painter.drawText(
            nameArea, Qt::AlignLeft | Qt::AlignVCenter,
            fm.elidedText(QString::fromStdString(span.name), Qt::ElideRight, nameArea.width()));
    }
}

void ByteRuler::mouseMoveEvent(QMouseEvent* event) {
    const int field = fieldAt(event->position().toPoint());
    if (field != highlighted_) {
        setHighlightedField(field);
        emit fieldHovered(field);
    }
    QWidget::mouseMoveEvent(event);
}

void ByteRuler::leaveEvent(QEvent* event) {
    if (highlighted_ != -1) {
        setHighlightedField(-1);
        emit fieldHovered(-1);
    }
    QWidget::leaveEvent(event);
}

bool ByteRuler::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int at = byteAt(help->pos());
        const int field = fieldAt(help->pos());
        if (at < 0) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QString tip = QStringLiteral("位置 %1 (0x%2)")
                          .arg(at + 1)
                          .arg(static_cast<unsigned char>(bytes_[at]), 2, 16, QLatin1Char('0'));
        if (field >= 0 && fieldTip_) tip = fieldTip_(field) + QStringLiteral("\n") + tip;
        QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

}  // namespace sorvek
