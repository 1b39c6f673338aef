#pragma once

#include <QDockWidget>
#include <QListWidget>
#include <functional>
#include <string>
#include <vector>

namespace hl {

// "History": the undo steps by name, oldest first, after a first row for the state before
// them; the current state is the selected row and the steps that Redo would bring are grey.
// A click on a row takes the map back or forward to the state after that step.
class HistoryDock : public QDockWidget {
  Q_OBJECT

 public:
  // `goTo(n)` should leave n steps to undo.
  HistoryDock(QWidget* parent, std::function<void(int)> goTo);

  void Show(const std::vector<std::string>& names, int undoCount);
  QListWidget* List() { return list_; }

 private:
  QListWidget* list_;
  std::function<void(int)> goTo_;
  bool filling_ = false;
};

}  // namespace hl
