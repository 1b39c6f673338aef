#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "images/LibrarySet.h"
#include "objects/ObjectSets.h"
#include "tools/ui/DrawGrid.h"

namespace hl {

// "ObjSet": every object set as a quarter-size picture, one row each, with a blank row after
// them for a new set. It shows the editor's one set list and changes it through the list's
// own commands.
class TFrmObjSet : public QWidget {
 public:
  // Runs the object editor on a set (none for a new one): the edited records, or nothing when
  // the user cancelled.
  using EditSet = std::function<std::optional<TObjectSet>(const TObjectSet*)>;
  struct Hooks {
    EditSet Edit;
    std::function<void()> RowSelected;  // a click on a row: the set tool and its footprint
    std::function<void()> RepaintMap;   // F5
    std::function<void(const std::string&)> Inform;
  };

  static constexpr int kColumnWidth = 120;
  static constexpr int kRowHeight = 100;

  TFrmObjSet(ObjectSetList& sets, LibrarySet& libraries, Hooks hooks, QWidget* parent = nullptr);

  const TObjectSet* GetSet(int row) const { return sets_.GetSet(row); }
  const TObjectSet* CurrentSet() const { return sets_.GetSet(SetGrid->Row()); }
  // Double click or Enter: the editor on the current row; confirming replaces the set there,
  // or appends one from the blank row.
  void EditCurrentRow();
  void GridKeyDown(int key, Qt::KeyboardModifiers modifiers);
  bool SaveTo(const std::string& fileName);
  bool LoadFrom(const std::string& fileName);
  // One row's picture, at the cell rectangle the grid gives.
  void DrawRow(QPainter& p, const QRect& cell, int row);

  DrawGrid* SetGrid;

 private:
  void SyncRows();
  void SaveClick();
  void LoadClick();

  ObjectSetList& sets_;
  LibrarySet& libraries_;
  Hooks hooks_;
};

}  // namespace hl
