#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/MainCommands.h"
#include "util/Questions.h"

namespace hl::test {

// Answers from lists prepared by the test, and a record of every question asked. A question
// without a prepared answer is answered as a cancelled dialog would be.
class ScriptedQuestions : public Questions {
 public:
  std::deque<Reply> Replies;
  std::deque<std::optional<std::string>> OpenNames;
  std::deque<std::vector<std::string>> OpenNameLists;
  std::deque<std::optional<std::string>> SaveNames;
  std::deque<std::optional<std::pair<std::string, std::string>>> SizeTexts;
  std::deque<std::pair<std::string, std::string>> Shifts;
  int StopProgressAfter = -1;          // progress calls before "stop"; -1: never
  std::deque<std::string> LightTexts;  // without one, the dialog closes on its initial text
  std::deque<std::optional<DoorTexts>> DoorAnswers;
  std::vector<std::string> LightShown;  // the initial texts the light dialog showed
  std::vector<DoorTexts> DoorShown;

  std::vector<std::string> Asked;     // texts of questions and messages, in order
  std::vector<std::string> Messages;  // texts of Inform only
  std::vector<std::string> SaveStartedAt;
  int ProgressCalls = 0;
  int Beeps = 0;

  Reply AskYesNoCancel(const std::string& text) override;
  void Inform(const std::string& text) override;
  std::optional<std::string> OpenMapName() override;
  std::vector<std::string> OpenMapNames() override;
  std::optional<std::string> SaveMapName(const std::string& current) override;
  std::optional<std::pair<std::string, std::string>> MapSizeTexts() override;
  std::pair<std::string, std::string> ShiftTexts() override;
  std::string LightText(const std::string& initial) override;
  std::optional<DoorTexts> DoorDialog(const DoorTexts& initial) override;
  bool Progress(const std::string& what, int done, int total) override;
  void Beep() override { ++Beeps; }
};

// A main window that only counts what it was asked to do.
struct RecordingWindow : MainWindowHooks {
  int SizeViews = 0;
  int Repaints = 0;
  std::string Label;
  std::vector<std::string> Exports;
  bool ExportSucceeds = true;  // otherwise the export fails as on a full disk

  void SizeView() override { ++SizeViews; }
  void Repaint() override { ++Repaints; }
  void SetNameLabel(const std::string& text) override { Label = text; }
  SaveResult ExportOverview(const std::string& path) override {
    Exports.push_back(path);
    if (!ExportSucceeds) return SaveResult::CannotWrite(path, "disk full");
    return {};
  }
};

}  // namespace hl::test
