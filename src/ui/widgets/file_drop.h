#pragma once
// Files dropped onto a text or combo box: the copy effect is offered for a list of local files,
// and a drop puts the first file's path into the box (folder or not). Any other data is refused,
// so dropped text never lands in the box.
#include <QObject>

class QComboBox;
class QLineEdit;

namespace sorvek {

class FileDropFilter : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // Installs the filter on the box (and the line edit of an editable combo box).
    static void install(QComboBox* box);
    static void install(QLineEdit* box);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace sorvek
