#pragma once

#include <QDockWidget>
#include <QMainWindow>
#include <QPointer>

namespace hl {

// One of the editor's tool windows (a picker, the set browser, the segment window) as a dock of
// the main window. The window inside keeps its own show() and hide(): showing it opens the dock,
// hiding it closes the dock, and closing the dock hides it, so the windows' code and their
// callers need not know where they live. Floating, the dock is a child window of the main
// window, never on top of everything, and it is kept on the main window's screen.
class ToolDock : public QDockWidget {
 public:
  // Takes `contents` in; the dock is titled with its caption and starts closed.
  ToolDock(QWidget* contents, const QString& objectName, QMainWindow* parent);
  ~ToolDock() override;

  QWidget* Contents() const { return contents_; }
  // Opens the dock and brings it in front of the docks it shares a tab bar with.
  void ShowAndRaise();
  // The contents leave for a tool window of `owner` (the object editor, which is modal: only
  // its own windows can be used while it runs), and come back into the dock as it was.
  void Lend(QWidget* owner);
  void TakeBack();
  bool Lent() const { return lent_; }
  // Moves a floating dock (open or not) wholly onto the main window's screen.
  void KeepOnScreen();
  // The size the window was made at goes to the dock when it first opens docked, unless a
  // restored layout already sized it.
  void SetSized() { sized_ = true; }
  // A dock that was closed (by its title bar, the View menu or a restored layout) has its
  // window hidden too, so that the window's next show() opens the dock again. Not on every
  // hide: floating and docking hide the dock for a moment.
  void FollowDock();
  // Before a layout is restored: a floating dock takes its saved size only if its window
  // counts in its layout, closed or not. FollowDock afterwards.
  void PrepareRestore();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QPointer<QWidget> contents_;
  bool lent_ = false;
  bool openBeforeLending_ = false;
  bool sized_ = false;
  QSize designed_;
  // Set while the dock itself shows or hides its contents, so that the filter does not answer.
  bool syncing_ = false;
};

// The rectangle moved (and if need be shrunk) to lie inside `available`. A rectangle without
// area stays as it is.
QRect ClampToArea(const QRect& rect, const QRect& available);

}  // namespace hl
