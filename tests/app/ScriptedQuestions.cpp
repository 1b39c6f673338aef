#include "ScriptedQuestions.h"

namespace hl::test {

namespace {
template <typename T, typename D>
T Next(std::deque<T>& queue, D fallback) {
  if (queue.empty()) return fallback;
  T v = std::move(queue.front());
  queue.pop_front();
  return v;
}
}  // namespace

Questions::Reply ScriptedQuestions::AskYesNoCancel(const std::string& text) {
  Asked.push_back(text);
  return Next(Replies, Reply::Cancel);
}

void ScriptedQuestions::Inform(const std::string& text) {
  Asked.push_back(text);
  Messages.push_back(text);
}

std::optional<std::string> ScriptedQuestions::OpenMapName() {
  Asked.push_back("open dialog");
  return Next(OpenNames, std::optional<std::string>());
}

std::vector<std::string> ScriptedQuestions::OpenMapNames() {
  Asked.push_back("open dialog");
  return Next(OpenNameLists, std::vector<std::string>());
}

std::optional<std::string> ScriptedQuestions::SaveMapName(const std::string& current) {
  Asked.push_back("save dialog");
  SaveStartedAt.push_back(current);
  return Next(SaveNames, std::optional<std::string>());
}

std::optional<std::pair<std::string, std::string>> ScriptedQuestions::MapSizeTexts() {
  Asked.push_back("Map Size (999 x 999)");
  return Next(SizeTexts, std::optional<std::pair<std::string, std::string>>());
}

std::pair<std::string, std::string> ScriptedQuestions::ShiftTexts() {
  Asked.push_back("ScrollMap");
  return Next(Shifts, std::pair<std::string, std::string>());
}

std::string ScriptedQuestions::LightText(const std::string& initial) {
  Asked.push_back("Light");
  LightShown.push_back(initial);
  return Next(LightTexts, initial);
}

std::optional<Questions::DoorTexts> ScriptedQuestions::DoorDialog(const DoorTexts& initial) {
  Asked.push_back("FrmDoorDlg");
  DoorShown.push_back(initial);
  return Next(DoorAnswers, std::optional<DoorTexts>());
}

bool ScriptedQuestions::Progress(const std::string&, int, int) {
  ++ProgressCalls;
  return StopProgressAfter < 0 || ProgressCalls <= StopProgressAfter;
}

}  // namespace hl::test
