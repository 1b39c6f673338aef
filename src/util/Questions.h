#pragma once

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

  virtual ~Questions() = default;

  // A warning with Yes, No and Cancel ("Would you like to save ?").
  virtual Reply AskYesNoCancel(const std::string& text) = 0;
  // A message with one button ("Use Segment Tool", "Conversion is complete!").
  virtual void Inform(const std::string& text) = 0;
  // The open dialog for maps (default extension "map"); nothing when cancelled.
  virtual std::optional<std::string> OpenMapName() = 0;
  // The same dialog with several files allowed; empty when cancelled.
  virtual std::vector<std::string> OpenMapNames() = 0;
  // The save dialog for maps, starting at `current`; nothing when cancelled.
  virtual std::optional<std::string> SaveMapName(const std::string& current) = 0;
  // The map size dialog ("Map Size (999 x 999)"): the texts of EdWidth and EdHeight after "Ok",
  // nothing after "Close".
  virtual std::optional<std::pair<std::string, std::string>> MapSizeTexts() = 0;
  // The shift dialog ("ScrollMap"): the texts of EdX and EdY however it was closed.
  virtual std::pair<std::string, std::string> ShiftTexts() = 0;
  // The light dialog ("Light"): the text of Edit1, starting at `initial`, however it closed.
  virtual std::string LightText(const std::string& initial) = 0;
  // The door dialog ("FrmDoorDlg"), starting with the check box and the two boxes as given:
  // what they hold after "Ok", nothing when closed any other way.
  struct DoorTexts {
    bool Door = false;
    std::string Index;
    std::string Offset;
  };
  virtual std::optional<DoorTexts> DoorDialog(const DoorTexts& initial) = 0;
  // Progress of a long job; false when the user asks to stop.
  virtual bool Progress(const std::string& what, int done, int total) = 0;
  virtual void Beep() = 0;
};

}  // namespace hl
