#pragma once

#include <QComboBox>
#include <QWidget>
#include <functional>

#include "images/LibrarySet.h"
#include "tools/TileAttributes.h"
#include "tools/ToolState.h"
#include "tools/ui/DrawGrid.h"
#include "util/Questions.h"

namespace hl {

// What the picker windows need of the main window.
class PickerHost {
 public:
  virtual ~PickerHost() = default;
  virtual ToolState& Tools() = 0;
  virtual LibrarySet& Libraries() = 0;
  // Presses a layer button of the toolbar (and so sets LayerMode).
  virtual void PressLayerButton(LayerMode layer) = 0;
  virtual void RepaintMap() = 0;
  virtual Questions& Ask() = 0;
};

// "Tile": every big tile at half size, five to a row, for placing single tiles by hand.
class TFrmTile : public QWidget {
 public:
  TFrmTile(PickerHost& host, QWidget* parent);
  // The tile of the current cell, -1 past the last tile.
  int Selection() const;
  // Someone else to tell of a click (the object editor puts its "Tile" mode down).
  void SetClickHandler(std::function<void()> handler) { clicked_ = std::move(handler); }
  DrawGrid* TileGrid;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  PickerHost& host_;
  std::function<void()> clicked_;
};

// "Small Tile": one row per small-tile group (images 33, 0 and 17 of the group) and a spare row.
class TFrmSmTile : public QWidget {
 public:
  TFrmSmTile(PickerHost& host, QWidget* parent);
  void SetGroupCount(int groups);
  int GroupCount() const { return groups_; }
  DrawGrid* TileGrid;

 private:
  PickerHost& host_;
  int groups_ = 0;
};

// "FObj": the images of one object library in a row, each whole: scaled down to fit its
// column, or with "Objects View Nomal Size" at full size in columns as large as the largest.
class TFrmObj : public QWidget {
 public:
  TFrmObj(PickerHost& host, QWidget* parent);
  // An ObjectIndex, -1 past the last image.
  int Selection() const;
  int Library() const { return library_; }
  // A picker on screen rearranges at once.
  void SetNormalSize(bool normal);
  bool NormalSize() const { return normalSize_; }
  // The tooltip of column `col`: its ObjectIndex and size, empty past the last image.
  QString ObjectToolTip(int col) const;
  // "0~9999  Objects.Data": the range and the file of library k, or that it is missing.
  QString LibraryItemText(int k) const;
  DrawGrid* ObjGrid;
  QComboBox* CbWilIndexList;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Arrange();  // the on-show step: column size and count for the library
  TGameImages& Objects() const;
  PickerHost& host_;
  bool normalSize_ = false;
  int library_ = 0;
};

// "Palett": one row per 50-tile group with its attribute flag ("#"), kept in Tile.atr.
class TFrmMainPal : public QWidget {
 public:
  TFrmMainPal(PickerHost& host, const std::string& startDir, QWidget* parent);
  void SetGroupCount(int groups);
  int GroupCount() const { return groups_; }
  const TileAttributes& Attributes() const { return attributes_; }
  DrawGrid* MainPalGrid;

 private:
  void MainPalGridKeyDown(int key);
  PickerHost& host_;
  TileAttributes attributes_;
  int groups_ = 0;
};

}  // namespace hl
