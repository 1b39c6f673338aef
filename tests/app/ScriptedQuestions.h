#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/MainCommands.h"
#include "util/Questions.h"

namespace hl::test {

// Answers from lists prepared by the test, and a record of every question asked. A question
// without a prepared answer is answered as a cancelled dialog would be. A dialog's Ok puts
// each prepared answer to the asking command's check, as the real dialog does: a refused one
// is recorded and the next one is typed, while the dialog stays open.
class ScriptedQuestions : public Questions {
 public:
  std::deque<Reply> Replies;
  std::deque<bool> YesNoReplies;  // without one: No
  std::deque<std::optional<std::string>> OpenNames;
  std::deque<std::vector<std::string>> OpenNameLists;
  std::deque<std::optional<std::string>> SaveNames;
  // Nothing in any of these lists closes the dialog without Ok.
  std::deque<std::optional<TextPair>> SizeTexts;
  std::deque<std::optional<TextPair>> Shifts;
  int StopProgressAfter = -1;  // progress calls before "stop"; -1: never
  std::deque<std::optional<std::string>> LightTexts;
  std::deque<std::optional<DoorTexts>> DoorAnswers;
  std::vector<std::string> LightShown;  // the initial texts the light dialog showed
  std::vector<DoorTexts> DoorShown;

  std::vector<std::string> Asked;     // texts of questions and messages, in order
  std::vector<std::string> Messages;  // texts of Inform only
  std::vector<std::string> Refusals;  // what the dialogs' Ok refused, in order
  std::vector<std::string> SaveStartedAt;
  int ProgressCalls = 0;
  int Beeps = 0;

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
  void Beep() override { ++Beeps; }

 private:
  template <typename Texts>
  std::optional<Texts> Typed(std::deque<std::optional<Texts>>& answers,
                             const OkCheck<Texts>& check);
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
