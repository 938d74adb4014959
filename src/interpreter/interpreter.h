#pragma once
// TBasicInterpreter: the script language. Statements pull tokens from the unread rest of the
// current line; a line is fetched when the previous one is used up. Calls of script subs and
// functions run in child interpreters that share the script-wide tables of their parent.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "interpreter/file_table.h"
#include "interpreter/line_tokens.h"
#include "interpreter/name_hash.h"
#include "interpreter/script_host.h"
#include "interpreter/tokens.h"
#include "interpreter/value.h"
#include "interpreter/variables.h"
#include "interpreter/word_table.h"

namespace tw {

struct TransparentHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept { return HashName(s); }
};
template <typename T>
using NameMap = std::unordered_map<std::string, T, TransparentHash, std::equal_to<>>;

struct TLabelItem {
  std::size_t Line = 0;  // index of the label's own line
};

struct TUserFunction {
  std::string Name;        // as written in the definition
  std::string Parameters;  // the text between "(" and ")" of the definition line
  std::size_t BodyLine = 0;
  // The parameters split at "," and trimmed, each with its "&" if written by reference.
  std::vector<std::string> ParameterList;
  // Each parameter's name as tables store it (without "&") and its HashName, made with the list.
  std::vector<std::pair<std::string, std::size_t>> ParameterNames;
  bool AnyByReference = false;
};

struct TBlockTokens {
  std::string EndWord;
};

struct TStackItem {
  std::string Name;
  std::int32_t Limit = 0;
  std::size_t Line = 0;
  // Where the for, while or caseof that pushed the entry stands (line and offset in it), and how
  // many gosubs were open then: a loop entered again at the same gosub level, or a return, shows
  // which entries a jump has left behind.
  std::size_t OpenerLine = 0;
  std::size_t OpenerOffset = 0;
  std::size_t GosubDepth = 0;
  VariableRef* Variable = nullptr;  // the for variable's token, in cached reading
};

struct ModuleEntry {
  std::string FileName;
  std::size_t FirstIndex = 0;
};

// Where a stored line came from, as error messages name it.
struct ScriptPosition {
  std::string Module;    // the file name, or "Main" for lines of no module (a compiled script)
  std::size_t Line = 0;  // 1-based within the module
};

// Script-wide state of one top-level run, shared with the interpreters of its calls.
struct ScriptShared {
  std::deque<std::string> Lines;  // a deque keeps lines in place while includes append
  std::vector<ModuleEntry> Modules;
  NameMap<TLabelItem> Labels;
  NameMap<TUserFunction> UserFunctions;
  std::vector<std::string> Commands;   // host commands, lower-cased, in registration order
  std::vector<std::string> Functions;  // extension functions, lower-cased
  std::vector<std::pair<std::string, TBlockTokens>> Blocks;
  VariableTable* Globals = nullptr;
  FileTable Files;
  // A script error ended the run: in the main code, a sub or function, or a script it called.
  bool EndedByError = false;

  WordTable WordClasses;  // rebuilt when the name lists change
  bool WordClassesStale = true;

  // The read form of each line, made when the line is first read (cached reading).
  std::vector<std::unique_ptr<LineTokens>> LineCache;
  // Read forms replaced while a reader may still stand in them; dropped with the lines.
  std::vector<std::unique_ptr<LineTokens>> RetiredLines;
  // What a line reads as depends on these: the host's name lists and the user functions.
  std::uint64_t WordGeneration = 1;
  std::uint64_t FunctionGeneration = 1;
  std::uint64_t ReadGeneration = 1;  // changes with either

  void RebuildWordClasses();
  void WordsChanged();      // a command, function or block was registered
  void FunctionsChanged();  // user functions were added or cleared
  void ClearLines();
};

// The text a compiled script stores for these lines.
std::string CompiledScriptText(const std::deque<std::string>& lines);

class TBasicInterpreter {
 public:
  // Special token ids beside the keyword and built-in ids.
  static constexpr int kIdNone = -1;
  static constexpr int kIdEndOfLine = -2;
  static constexpr int kIdEndOfScript = -3;
  static constexpr int kIdCommand = -4;
  static constexpr int kIdBlock = -5;
  static constexpr int kIdExtension = -6;
  static constexpr int kBuiltinBase = 100;

  explicit TBasicInterpreter(ScriptHost& host);
  virtual ~TBasicInterpreter();
  TBasicInterpreter(const TBasicInterpreter&) = delete;
  TBasicInterpreter& operator=(const TBasicInterpreter&) = delete;

  // ---- Driving a run -------------------------------------------------------------------------
  void SetFileName(std::string_view file) {
    FileName = std::string(file);
    scriptText_.reset();
  }
  // Runs text held in memory instead of a file, under the given module name (tests, the editor).
  void SetScriptText(std::string_view text, std::string_view moduleName);
  virtual void Run(std::size_t startLine = 0);
  void CheckSyntax();
  void StopScript();
  void SetGlobals(VariableTable* table) {
    if (table) shared_->Globals = table;
  }
  void ClearGlobals();
  void SetIncludeDir(std::string_view dir);
  // Checks the script and writes it, includes inlined, as a compiled script beside the file.
  bool Compile();
  // True when the last Run loaded its script and executed it (false when loading failed).
  bool RunStarted() const { return runStarted_; }
  // True when a script error ended the last run, wherever it happened (hosts derive exit codes from it).
  bool EndedByError() const { return shared_->EndedByError; }
  // A script called by this run ended with an error: so did this run.
  void NoteErrorEnded() { shared_->EndedByError = true; }

  // ---- Readers for commands and functions ----------------------------------------------------
  void NextToken() {
    if (uncached_) {
      NextTokenUncached();
      return;
    }
    if (next_ != end_ && readGeneration_ == shared_->ReadGeneration &&
        !StopRequested.load(std::memory_order_relaxed)) {
      cur_ = next_++;
      Token = cur_->Text;
      Kind = cur_->Kind;
      TokenId = cur_->Id;
      return;
    }
    NextTokenSlow();
  }
  void PushBackToken();
  // The unread rest of the current line, for statements that read their line as text.
  std::string_view RestOfLine() const;
  ScriptValue Evaluate();
  std::string ReadArgument();
  // The same argument as a text value: a single item is kept as it is, so a long text is shared,
  // not copied. Take its TextView only after reading the call's other arguments, which may append
  // to the text's buffer.
  ScriptValue ReadTextArgument();
  ScriptValue ReadOptionalArgument(const ScriptValue& defaultValue);
  std::string ReadIndexList();
  // Terminated by the end of the line, and by `then` or ":" where those are allowed.
  bool EvaluateCondition(bool thenTerminates, bool colonTerminates);

  // ---- Variables -----------------------------------------------------------------------------
  // The same rules as GetVariable and SetVariable for a name read from a token, through the place
  // the token remembers.
  ScriptValue ReadVariable(VariableRef& variable, std::string_view asWritten);
  void WriteVariable(VariableRef& variable, std::string_view asWritten, const ScriptValue& value);
  ScriptValue GetVariable(std::string_view name);
  void SetVariable(std::string_view name, const ScriptValue& value, bool global = false,
                   bool readOnly = false);
  void ClearVariables() { Locals.Clear(); }
  // GetVariable and SetVariable for a name known before the run: `normalized` is the name as written
  // normalised, `hash` its HashName. A host watching variables still sees the name as written.
  ScriptValue GetKnownVariable(std::string_view asWritten, std::string_view normalized, std::size_t hash);
  void SetKnownVariable(std::string_view asWritten, std::string_view normalized, std::size_t hash,
                        const ScriptValue& value, bool global = false, bool readOnly = false);
  std::string ExpandVariables(std::string_view text);
  VariableTable* Globals() const { return shared_->Globals; }

  // ---- Script text ---------------------------------------------------------------------------
  bool LoadScriptText(const std::string& file);  // throws ScriptFailure when unreadable
  void AppendScriptLines(std::string_view text, std::string_view moduleName);
  void RegisterBlock(std::string_view startWord, std::string_view endWord);
  void RegisterCommand(std::string_view name);
  void RegisterFunction(std::string_view name);
  bool SkipBlock(std::string_view startWord);
  void PreScan(std::size_t startIndex);
  std::string GetKeywords() const;
  virtual std::string GetAllCommands() const;
  virtual std::string GetVersion() const { return "b124"; }

  // ---- Include files -------------------------------------------------------------------------
  bool IsIncluded(std::string_view file) const;
  // The include statement, entered after its word: reads the file name and joins the file's lines.
  void ProcessInclude();
  // Reading goes on at the start of that line; for tools that walk a script's tokens themselves.
  void JumpToLine(std::size_t line);

  // ---- Errors and events ---------------------------------------------------------------------
  void ScriptError(std::string_view message);
  ScriptPosition PositionOfLine(std::size_t lineIndex) const;
  // After a cancelled prompt: ends the run when _endoncancel is 1.
  void ApplyEndOnCancel();

  std::function<void(TBasicInterpreter&, std::string_view, bool&)> OnCommand;
  std::function<void(TBasicInterpreter&)> OnStart;
  std::function<void(TBasicInterpreter&)> OnDone;
  std::function<void(TBasicInterpreter&)> OnFinish;
  std::function<void(TBasicInterpreter&)> OnStop;
  std::function<void(TBasicInterpreter&, std::string_view, int)> OnError;
  std::function<void(TBasicInterpreter&, std::string_view, bool, ScriptValue&, bool&)> OnVariable;
  std::function<void(TBasicInterpreter&, std::string_view, ScriptValue&, bool&)> OnFunction;
  std::function<void(TBasicInterpreter&, std::string_view, bool&)> OnBlock;
  std::function<void(TBasicInterpreter&, std::size_t, std::string_view)> OnLine;
  std::function<void(TBasicInterpreter&, std::string_view)> OnPrint;
  std::function<void(TBasicInterpreter&, std::string_view, int, std::size_t, std::size_t)> OnModule;

  // ---- State ---------------------------------------------------------------------------------
  std::string FileName;
  std::string IncludeDir;
  std::string ProcName;
  VariableTable Locals;
  TBasicInterpreter* Parent = nullptr;
  ScriptHost& Host;
  int OutputMode = 0;  // 0 dialogs, 1 console window
  bool NoError = false;
  bool CheckMode = false;
  bool Running = false;
  bool Stepping = false;
  bool LastPromptOK = true;
  std::size_t ModuleOffset = 0;
  std::size_t LineIndex = 0;  // index of the next line to fetch

  std::string_view Token;
  TokenKind Kind = TokenKind::None;
  int TokenId = kIdNone;

  // Reading each line's stored tokens (the default) or scanning the unread rest of the line on
  // every read, as a check of the first. Taken when a run starts; calls read as their caller.
  bool UncachedReading = DefaultUncachedReading;
  static bool DefaultUncachedReading;

  bool TokenIs(Keyword k) const { return TokenId == static_cast<int>(k) && Kind != TokenKind::tkOperator; }
  bool TokenIsOperator(char c) const {
    return Kind == TokenKind::tkOperator && Token.size() == 1 && Token[0] == c;
  }
  bool AtEndOfLine() const { return TokenId == kIdEndOfLine; }
  bool AtEndOfScript() const { return TokenId == kIdEndOfScript; }

  ScriptShared& Shared() { return *shared_; }
  const ScriptShared& Shared() const { return *shared_; }

  // Process-wide run state.
  static std::atomic<bool> StopRequested;
  static int CallDepth;
  static std::string ErrorLogFile;
  static std::string GlobalPrefix;

 protected:
  // A child for a sub/function call, sharing the parent's script-wide state.
  explicit TBasicInterpreter(TBasicInterpreter& parent);

  virtual bool ExecuteCommand(std::string_view name);
  virtual bool ExecuteBlock(std::string_view name);
  virtual bool ExecuteFunction(std::string_view name, ScriptValue& result);
  virtual void DoDone();
  virtual void DoFinish();
  virtual void DoStop();
  virtual ScriptValue CallUserFunction(const TUserFunction* function);
  virtual std::unique_ptr<TBasicInterpreter> CreateChild(TBasicInterpreter& parent);
  // The child of a call is made by CreateChild once and kept by its parent for the next call:
  // ResetForCall makes a kept child what a new one would be, EndCall hands back what a call ends with.
  virtual void ResetForCall(TBasicInterpreter& parent);
  virtual void EndCall() {}
  virtual void ClearRuntime();
  virtual bool LoadCompiled(const std::string& file);

  void ExecuteStatements();
  // Skips to the matching close word (or the middle word at the same depth); middle < 0: none.
  void SkipToMatching(Keyword open, int middle, Keyword close, const TokenPlace* opener = nullptr);

 private:
  // tokenizer
  void NextTokenSlow();
  void NextTokenUncached();
  void SetEndOfScript();
  bool FetchLine();
  bool OnLineWanted(std::string_view line) const;
  // How a word reads; for a label, `end` moves past its ":".
  WordClass ClassifyWord(std::string_view lowerWord, std::string_view text, std::size_t& end) const;
  void ScanLineTokens(LineTokens& line, std::string_view text, std::size_t from) const;
  void ReclassifyFunctionWords(LineTokens& line) const;
  LineTokens* LineTokensAt(std::size_t index);
  void RefreshCurrentLine();
  // Cached reading: where the current token stands, and reading on from a known place.
  bool PlaceOfCurrentToken(TokenPlace& place) const;
  const TokenPlace* KnownCloser(const TokenPlace& opener) const;
  void ReadAt(const TokenPlace& place);
  std::string_view TokenLower() const { return cur_ ? cur_->Lower : std::string_view(); }
  void ClearTokenState();
  void DropRestOfLine();
  std::size_t CurrentTokenOffset() const;  // where the current token starts in its line

  // expressions
  // The code of the expression starting at token `first` of the current line, once it has some.
  const ExpressionCode* ExpressionCodeAt(std::uint32_t first);
  const ConditionCode* ConditionCodeAt(std::uint32_t first, std::uint8_t terminators);
  ScriptValue Expression();
  ScriptValue Term();
  ScriptValue PowerExpression();
  ScriptValue Unary();
  ScriptValue Primary();
  ScriptValue CallFunctionToken();
  std::string ReadElementName(std::string_view baseName);
  // ReadElementName by the code of the element read as an expression, in cached reading, with the
  // name normalised; false when there is none or it fails, and the reader has not moved.
  bool ElementNameByCode(std::string& name);
  bool ReadArgumentItems(std::string& out, bool optional);  // true when an item was read
  // One item of an argument, index or print list: a literal as it stands or an expression's text.
  // A failing expression is reported (with failureMessage when given) and answers false.
  bool ReadItem(std::string& out, const char* failureMessage);
  bool ReadItemValue(ScriptValue& out);  // ReadItem's item as a text value

  // statements
  bool ExecuteStatement();  // false when the statement ends the loop
  void RunAssignment();
  void RunPrint();
  void RunInput();
  void RunIf();
  void RunFor();
  void RunEndFor();
  void RunExit(Keyword open, Keyword close, const char* message);
  void RunWhile();
  void RunEndWhile();
  void RunJump(bool isGosub);
  void RunReturn();
  void RunCaseOf();
  void RunCase(bool isOtherwise);
  void SkipCaseBranch(bool stopAtBranches);
  TStackItem OpenerEntry() const;
  void DropLeftEntries(std::vector<TStackItem>& stack, const TStackItem& opener);
  void RunGlobal();
  void DeliverPrint(const std::string& text);
  void CreateRunConstants();
  static void SplitParameters(TUserFunction& function);
  void PumpIfDue();

  TVariable* CachedSlot(SlotCache& slot, std::string_view name, bool forWrite);
  void FillSlot(SlotCache& slot, std::string_view name, std::size_t hash, bool forWrite);
  // The tables' part of GetVariable and SetVariable, past the host's hook. A store given a slot
  // leaves in it what FillSlot would find for a write of the name afterwards.
  ScriptValue LoadVariable(std::string_view normalized, std::size_t hash);
  void StoreVariable(std::string_view normalized, std::size_t hash, const ScriptValue& value, bool global,
                     bool readOnly, SlotCache* slot = nullptr);
  // The variable named by the current token (cached reading), or null.
  VariableRef* CurrentVariableRef() const {
    return (!uncached_ && cur_ && cur_->Aux != kNoAux && !cur_->Lower.empty())
               ? &source_->Variables[cur_->Aux]
               : nullptr;
  }

  // module bookkeeping
  const ModuleEntry* ModuleOfLine(std::size_t lineIndex) const;

  bool LoadForRun();
  void CloseFilesLeftOpen();

  std::unique_ptr<ScriptShared> ownShared_;
  std::unique_ptr<std::pair<std::string, std::string>> scriptText_;  // text and module name
  ScriptShared* shared_;
  std::vector<TStackItem> forStack_, whileStack_, caseStack_, gosubStack_;
  VariableTable spareLocals_;
  std::unique_ptr<TBasicInterpreter> spareChild_;  // the child of the last call, kept for the next
  std::vector<ScriptValue> expressionStack_;  // scratch space of expression code
  std::string elementName_;  // the storage the locals of this interpreter's calls reuse
  bool uncached_ = false;
  // Cached reading: the tokens of the line being read, the current one and the next one.
  LineTokens* source_ = nullptr;
  const CachedToken* cur_ = nullptr;
  const CachedToken* next_ = nullptr;
  const CachedToken* end_ = nullptr;
  std::uint64_t readGeneration_ = 0;
  // Uncached reading: the unread rest of the line and the token read last.
  std::string_view rest_;
  CachedToken scratch_;
  std::string scratchLower_;
  const char* tokenStart_ = nullptr;  // where the current token began in the current text
  const char* restEnd_ = nullptr;     // the end of the text rest_ is a view into
  const char* lineStart_ = nullptr;   // the start of the current line's text
  bool lineHookEnabled_ = true;
  bool runStarted_ = false;
  std::chrono::steady_clock::time_point lastPump_{};
  unsigned statementsSincePump_ = 0;
};

}  // namespace tw
