#pragma once

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <string>
#include <utility>

namespace hl {

// A dialog whose Ok (the button, or Enter) first asks a check from whoever opened it: an empty
// answer closes the dialog, anything else is shown as a warning while the dialog stays open
// with its texts as typed. What may be typed is the asking command's rule, not the dialog's.
// Cancel and the close box close without asking.
class CheckedDialog : public QDialog {
 public:
  using QDialog::QDialog;

  void SetOkCheck(std::function<std::string()> check) { check_ = std::move(check); }

  void accept() override {
    if (check_) {
      if (const std::string problem = check_(); !problem.empty()) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(problem));
        return;
      }
    }
    QDialog::accept();
  }

 private:
  std::function<std::string()> check_;
};

}  // namespace hl
