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

template <typename Texts>
std::optional<Texts> ScriptedQuestions::Typed(std::deque<std::optional<Texts>>& answers,
                                              const OkCheck<Texts>& check) {
  while (!answers.empty()) {
    std::optional<Texts> answer = std::move(answers.front());
    answers.pop_front();
    if (!answer) return std::nullopt;
    const std::string problem = check(*answer);
    if (problem.empty()) return answer;
    Asked.push_back(problem);
    Refusals.push_back(problem);
  }
  return std::nullopt;
}

Questions::Reply ScriptedQuestions::AskYesNoCancel(const std::string& text) {
  Asked.push_back(text);
  return Next(Replies, Reply::Cancel);
}

void ScriptedQuestions::Inform(const std::string& text) {
  Asked.push_back(text);
  Messages.push_back(text);
}

bool ScriptedQuestions::AskYesNo(const std::string& text) {
  Asked.push_back(text);
  return Next(YesNoReplies, false);
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

std::optional<Questions::TextPair> ScriptedQuestions::MapSizeTexts(const OkCheck<TextPair>& check) {
  Asked.push_back("Map Size (999 x 999)");
  return Typed(SizeTexts, check);
}

std::optional<Questions::TextPair> ScriptedQuestions::ShiftTexts(const OkCheck<TextPair>& check) {
  Asked.push_back("ScrollMap");
  return Typed(Shifts, check);
}

std::optional<std::string> ScriptedQuestions::LightText(const std::string& initial,
                                                        const OkCheck<std::string>& check) {
  Asked.push_back("Light");
  LightShown.push_back(initial);
  return Typed(LightTexts, check);
}

std::optional<Questions::DoorTexts> ScriptedQuestions::DoorDialog(const DoorTexts& initial,
                                                                  const OkCheck<DoorTexts>& check) {
  Asked.push_back("FrmDoorDlg");
  DoorShown.push_back(initial);
  return Typed(DoorAnswers, check);
}

bool ScriptedQuestions::Progress(const std::string&, int, int) {
  ++ProgressCalls;
  return StopProgressAfter < 0 || ProgressCalls <= StopProgressAfter;
}

}  // namespace hl::test
