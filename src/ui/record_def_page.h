#pragma once
// Page 11 of the wizard: the record definition. Its left half is the record tree, its right
// half the field list of the selected record with the record's details; the buttons start a
// new definition, open one and save it.
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace sorvek {

struct AppState;

class RecordDefPage : public QWidget {
    Q_OBJECT
  public:
    RecordDefPage(AppState& state, QWidget* parent = nullptr);

    AppState& state() { return state_; }
    // The number of nodes of the record tree (all levels).
    int treeNodeCount() const;

    QTreeWidget* tvwRecDef = nullptr;
    QTreeWidget* lvwFldDef = nullptr;
    QLabel* lblRecLen = nullptr;
    QLabel* lblClass = nullptr;
    QLabel* lblFldLenSum = nullptr;
    QPushButton* cmdNewRec = nullptr;
    QPushButton* cmdDefFileOpen = nullptr;
    QPushButton* cmdDefFileSave = nullptr;

  signals:
    // The page's check is to run again (a details refresh ended with no node or with a record
    // that has fields).
    void pageCheckRequested();

  private:
    AppState& state_;
};

}  // namespace sorvek
