#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include "util/Questions.h"

namespace hl {

// The questions answered by real dialogs over the main window.
class QtQuestions : public Questions {
 public:
  explicit QtQuestions(QWidget* parent) : parent_(parent) {}

  Reply AskYesNoCancel(const std::string& text) override;
  void Inform(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::optional<std::string> OpenMapName() override;
  std::vector<std::string> OpenMapNames() override;
  std::optional<std::string> SaveMapName(const std::string& current) override;
  std::optional<TextPair> MapSizeTexts(const OkCheck<TextPair>& check) override;
  std::optional<TextPair> ShiftTexts(const OkCheck<TextPair>& check) override;
  std::optional<std::string> LightText(const std::string& initial,
                                       const OkCheck<std::string>& check) override;
  std::optional<DoorTexts> DoorDialog(const DoorTexts& initial,
                                      const OkCheck<DoorTexts>& check) override;
  bool Progress(const std::string& what, int done, int total) override;
  void Beep() override;

 private:
  QWidget* parent_;
  QPointer<QProgressDialog> progress_;
};

}  // namespace hl
