#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hl {

// Everything the editor's commands ask the user goes through here: message boxes with their
// fixed texts, file dialogs, the small input dialogs and the beep. The windows answer with
// real dialogs; tests and scripts answer from a list.
class Questions {
 public:
  enum class Reply { Yes, No, Cancel };
  using TextPair = std::pair<std::string, std::string>;
  // What Ok asks of the texts typed into a dialog before it closes: empty to take them,
  // otherwise the message that says why not (naming what the boxes take). The dialog shows
  // the message and stays open with the texts as they are, so the user can mend them or
  // close it. The rule is the asking command's; the dialog knows none of it.
  template <typename Texts>
  using OkCheck = std::function<std::string(const Texts&)>;

  virtual ~Questions() = default;

  // A warning with Yes, No and Cancel ("Would you like to save ?").
  virtual Reply AskYesNoCancel(const std::string& text) = 0;
  // A message with one button ("Use Segment Tool", "Conversion is complete!").
  virtual void Inform(const std::string& text) = 0;
  // A question with Yes and No ("... already exists. Do you want to replace it?"): true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // The open dialog for maps (default extension "map"); nothing when cancelled.
  virtual std::optional<std::string> OpenMapName() = 0;
  // The same dialog with several files allowed; empty when cancelled.
  virtual std::vector<std::string> OpenMapNames() = 0;
  // The save dialog for maps, starting at `current`; nothing when cancelled. It does not ask
  // about replacing an existing file: the saving command decides whether that question is due.
  virtual std::optional<std::string> SaveMapName(const std::string& current) = 0;
  // The map size dialog ("Map Size (999 x 999)"): the texts of EdWidth and EdHeight once "Ok"
  // took them, nothing after "Close".
  virtual std::optional<TextPair> MapSizeTexts(const OkCheck<TextPair>& check) = 0;
  // The shift dialog ("ScrollMap"): the texts of EdX and EdY once "Ok" took them, nothing when
  // closed any other way.
  virtual std::optional<TextPair> ShiftTexts(const OkCheck<TextPair>& check) = 0;
  // The light dialog ("Light"): the text of Edit1, starting at `initial`, once "Ok" took it;
  // nothing after "Cancel" or the close box.
  virtual std::optional<std::string> LightText(const std::string& initial,
                                               const OkCheck<std::string>& check) = 0;
  // The door dialog ("FrmDoorDlg"), starting with the check box and the two boxes as given:
  // what they hold once "Ok" took them, nothing when closed any other way.
  struct DoorTexts {
    bool Door = false;
    std::string Index;
    std::string Offset;
  };
  virtual std::optional<DoorTexts> DoorDialog(const DoorTexts& initial,
                                              const OkCheck<DoorTexts>& check) = 0;
  // Progress of a long job; false when the user asks to stop.
  virtual bool Progress(const std::string& what, int done, int total) = 0;
  virtual void Beep() = 0;
};

// The answers of a program without a window: every question cancelled, every dialog closed,
// every message and beep unseen. Windowless users override what they can answer.
class WindowlessQuestions : public Questions {
 public:
  Reply AskYesNoCancel(const std::string&) override { return Reply::Cancel; }
  void Inform(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  std::optional<std::string> OpenMapName() override { return std::nullopt; }
  std::vector<std::string> OpenMapNames() override { return {}; }
  std::optional<std::string> SaveMapName(const std::string&) override { return std::nullopt; }
  std::optional<TextPair> MapSizeTexts(const OkCheck<TextPair>&) override { return std::nullopt; }
  std::optional<TextPair> ShiftTexts(const OkCheck<TextPair>&) override { return std::nullopt; }
  std::optional<std::string> LightText(const std::string&, const OkCheck<std::string>&) override {
    return std::nullopt;
  }
  std::optional<DoorTexts> DoorDialog(const DoorTexts&, const OkCheck<DoorTexts>&) override {
    return std::nullopt;
  }
  bool Progress(const std::string&, int, int) override { return true; }
  void Beep() override {}
};

}  // namespace hl
