// appmessage: hands a text to the window of another program that accepts texts; a running main program takes
// it as the name of a script to run.

#include "commands/tarnwick_basic.h"

namespace tw {

namespace {

// How long the sender gives the receiver to take the text.
constexpr int kDeliveryMilliseconds = 5000;

void AppMessage(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string title = library.ReadArgument();
  const std::string windowClass = library.ReadArgument();
  const std::string text = library.ReadArgument();
  if (library.CheckMode) return;
  // The receiver may be this very program, so the wait serves its events.
  if (auto delivery = library.Desktop.programMessages().send({title, windowClass}, text))
    library.WaitUntil([&] { return delivery->finished(); }, kDeliveryMilliseconds, false);
  result = ScriptValue::Integer(1);
}

}  // namespace

void AddProgramMessageFunction(LibraryHandlers& handlers) { handlers.AddFunction("appmessage", AppMessage); }

}  // namespace tw
