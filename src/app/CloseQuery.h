#pragma once

#include "objects/ObjectSets.h"
#include "util/Questions.h"

namespace hl {

class MainCommands;
class RecoveryStore;

// Asks to save the object sets when they changed since they were loaded or saved, to the file
// they came from. False when the user cancelled or the save failed (and was reported), so that
// the editor stays open with the sets as they are.
bool SetsCloseQuery(ObjectSetList& sets, Questions& questions);

// Whether the editor may close: the map's save question first, then the sets'. Once it may, the
// map was saved or knowingly dropped and nothing is left to recover, so its copy goes.
bool EditorCloseQuery(MainCommands& commands, ObjectSetList& sets, RecoveryStore& recovery,
                      Questions& questions);

}  // namespace hl
