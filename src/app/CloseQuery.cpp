#include "app/CloseQuery.h"

#include <string>

#include "app/MainCommands.h"
#include "app/Recovery.h"

namespace hl {

bool SetsCloseQuery(ObjectSetList& sets, Questions& questions) {
  if (!sets.Changed()) return true;
  switch (questions.AskYesNoCancel("Save the object sets to \"" + sets.FileName + "\" ?")) {
    case Questions::Reply::Cancel:
      return false;
    case Questions::Reply::No:
      return true;
    case Questions::Reply::Yes:
      break;
  }
  const SaveResult saved = sets.SaveSets(sets.FileName);
  if (saved) return true;
  questions.Inform(saved.Message());
  return false;
}

bool EditorCloseQuery(MainCommands& commands, ObjectSetList& sets, RecoveryStore& recovery,
                      Questions& questions) {
  if (!commands.FormCloseQuery() || !SetsCloseQuery(sets, questions)) return false;
  recovery.Discard();
  return true;
}

}  // namespace hl
