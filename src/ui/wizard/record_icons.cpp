#include "ui/wizard/record_icons.h"

#include <QPainter>
#include <QPixmap>

#include "editor/record_tree.h"

namespace sorvek {
namespace {

constexpr int kSide = 16;

// A sheet of paper with a folded corner and three lines of text: the file as a whole.
QPixmap fileDefinitionImage() {
    QPixmap image(kSide, kSide);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QPolygon sheet({{2, 0}, {10, 0}, {13, 3}, {13, 15}, {2, 15}});
    p.setPen(QColor(60, 60, 90));
    p.setBrush(QColor(250, 250, 255));
    p.drawPolygon(sheet);
    p.setBrush(QColor(200, 205, 230));
    p.drawPolygon(QPolygon({{10, 0}, {10, 3}, {13, 3}}));
    p.setPen(QColor(40, 90, 170));
    for (int y : {6, 9, 12}) p.drawLine(4, y, 11, y);
    return image;
}

// One record: a bar cut into fields of different widths.
QPixmap recordDefinitionImage() {
    QPixmap image(kSide, kSide);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QColor(40, 100, 50));
    p.setBrush(QColor(215, 240, 210));
    p.drawRect(0, 4, 15, 7);
    p.setBrush(QColor(90, 170, 90));
    p.drawRect(0, 4, 4, 7);
    for (int x : {4, 10}) p.drawLine(x, 4, x, 11);
    return image;
}

}  // namespace

QIcon ilsIcon(int index) {
    if (index == kImageFileDefinition) return QIcon(fileDefinitionImage());
    if (index == kImageRecordDefinition) return QIcon(recordDefinitionImage());
    return {};
}

}  // namespace sorvek
