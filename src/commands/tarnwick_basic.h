#pragma once
// TTarnwickBasic: the interpreter every host runs. It adds the command library's commands,
// functions and blocks to the language and reaches the desktop through the platform layer.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/handle_table.h"
#include "commands/conversations.h"
#include "commands/library_names.h"
#include "commands/mouse_control.h"
#include "dialogs/enhance_form_dialog.h"
#include "interpreter/interpreter.h"
#include "port/desktop.h"

namespace tw {

class TTarnwickBasic;

using CommandHandler = void (*)(TTarnwickBasic& library);
using FunctionHandler = void (*)(TTarnwickBasic& library, ScriptValue& result);
// Entered with the block word read; reads the word's arguments and its body, and leaves LineIndex past the end.
using BlockHandler = void (*)(TTarnwickBasic& library);

// Which handler runs each library name; each group of the library adds its own.
class LibraryHandlers {
 public:
  void AddCommand(std::string_view name, CommandHandler handler) { commands_[std::string(name)] = handler; }
  void AddFunction(std::string_view name, FunctionHandler handler) { functions_[std::string(name)] = handler; }
  void AddBlock(std::string_view word, BlockHandler handler) { blocks_[std::string(word)] = handler; }
  CommandHandler Command(std::string_view name) const;
  FunctionHandler Function(std::string_view name) const;
  BlockHandler Block(std::string_view word) const;

 private:
  NameMap<CommandHandler> commands_;
  NameMap<FunctionHandler> functions_;
  NameMap<BlockHandler> blocks_;
};

const LibraryHandlers& Handlers();
void AddSystemCommands(LibraryHandlers& handlers);
void AddSystemFunctions(LibraryHandlers& handlers);
void AddKeyCommands(LibraryHandlers& handlers);
void AddWindowFunctions(LibraryHandlers& handlers);
void AddMouseCommands(LibraryHandlers& handlers);
void AddMouseFunctions(LibraryHandlers& handlers);
void AddScreenTextFunctions(LibraryHandlers& handlers);
void AddDesktopFunctions(LibraryHandlers& handlers);
void AddRegistryFunctions(LibraryHandlers& handlers);
void AddDatabaseFunctions(LibraryHandlers& handlers);
void AddConversationFunctions(LibraryHandlers& handlers);
void AddFtpFunctions(LibraryHandlers& handlers);
void AddHttpFunctions(LibraryHandlers& handlers);
void AddMailFunctions(LibraryHandlers& handlers);
void AddProgramMessageFunction(LibraryHandlers& handlers);
void AddFileFunctions(LibraryHandlers& handlers);
void AddTextBlocks(LibraryHandlers& handlers);
void AddTextFunctions(LibraryHandlers& handlers);
void AddTemplateFunctions(LibraryHandlers& handlers);
void AddDialogCommands(LibraryHandlers& handlers);
void AddDocumentFunctions(LibraryHandlers& handlers);

struct InternetSession;

class TTarnwickBasic : public TBasicInterpreter {
 public:
  TTarnwickBasic(ScriptHost& host, port::Desktop& desktop);
  ~TTarnwickBasic() override;

  void Run(std::size_t startLine = 0) override;
  std::string GetVersion() const override { return "T304." + TBasicInterpreter::GetVersion(); }

  void SetTargetWindow(port::WindowId window) { TargetWindow = window; }
  // The library's only wait: lets the host's events run in steps of 50 ms; a stop request ends it.
  // With lockWindows the program's own windows are disabled meanwhile.
  void Delay(int milliseconds, bool lockWindows);
  // Waits as Delay does until `done` holds (then true); milliseconds < 0: with no time limit. Services with
  // traffic (the conversation bus) wake it at once.
  bool WaitUntil(const std::function<bool()>& done, int milliseconds, bool lockWindows);
  // The same in seconds; nothing for 0 or less.
  void DelaySeconds(double seconds, bool lockWindows);
  // Switches a lock key to the wanted state; nothing happens when it already is.
  void SetToggleKey(port::ToggleKey key, bool on);
  // Waits (briefly, bounded) until the keys typed in this run have been read by their programs, then gives
  // back the keys lent for characters beyond the layout. The end of every top-level run does this.
  void FinishTyping();
  // The script error of a library name whose handler is not part of this build.
  void ReportUnavailable(std::string_view name, bool isFunction);
  // _delay: the seconds send and macro wait between activating their window and typing; 0 when empty or unset.
  // A text that is no number ends the statement with the conversion's message.
  double KeyDelaySeconds();
  // Types the body of a macro block, which starts at LineIndex, into the window whose title begins with
  // `title` (the target window when there is no title), each line followed by Enter but the last, `prefix`
  // before every line. `extra` is not used.
  void PlayMacro(const std::string& title, const std::string& prefix, const std::string& extra);

  port::Desktop& Desktop;
  port::WindowId TargetWindow = port::kNoWindow;
  port::Point SavedMousePos{};
  // Cursor and buttons; the interpreters of sub and function calls share their caller's.
  std::shared_ptr<TMouseControl> MouseController;
  // Open settings keys and database queries; the interpreters of sub and function calls share their
  // caller's, a script started with call has its own.
  std::shared_ptr<THandleTable> Handles;
  // cpuusage has taken its first reading of the processor counters.
  bool ProcessorSampled = false;
  // What getparam shows: [0] the program, [1] the script file, then the script's arguments. A host that
  // runs a script file sets it, so that its own options never reach the script; without it getparam
  // shows the process's command line. Calls and called scripts share it.
  std::shared_ptr<const std::vector<std::string>> ScriptCommandLine;
  // The script's topic, its items and its channels; shared with the interpreters of sub and function calls.
  std::shared_ptr<TConversations> Conversations;
  // The FTP session, its listing and local folder, and the mailer: they last from run to run, and the
  // interpreters of sub and function calls share their caller's.
  std::shared_ptr<InternetSession> Internet;
  // The names the last findfiles that found something listed; none until then. Kept from run to run; the
  // interpreter of a sub or function call has its own.
  std::optional<std::vector<std::string>> FoundFiles;
  // The script's dialog; every interpreter, also one of a sub or function call, has its own, made when first
  // used.
  TEnhanceFormDialog& Dialog();
  // Called when a dialog's definition could not be read (its error box has been shown) and the run ends.
  std::function<void()> OnDialogFailure;
  // Where dialogs of position mode 2 remember their place: the running program's settings file unless set
  // before the first dialog. The interpreters of sub and function calls share their caller's.
  std::shared_ptr<DialogPositionStore> DialogPositions;

 protected:
  explicit TTarnwickBasic(TTarnwickBasic& parent);

  bool ExecuteCommand(std::string_view name) override;
  bool ExecuteBlock(std::string_view name) override;
  bool ExecuteFunction(std::string_view name, ScriptValue& result) override;
  std::unique_ptr<TBasicInterpreter> CreateChild(TBasicInterpreter& parent) override;
  void ResetForCall(TBasicInterpreter& parent) override;
  // A call hands the window it ended on back to its caller, and its dialog ends with it.
  void EndCall() override;
  // Beside the inherited clean-up, a top-level interpreter closes every key and query left open, and every
  // channel, and frees its topic's items.
  void ClearRuntime() override;

 private:
  TTarnwickBasic* parentLibrary_ = nullptr;
  std::unique_ptr<TEnhanceFormDialog> dialog_;
};

}  // namespace tw
