#include "check/script_check.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <unordered_set>
#include <utility>

#include "check/closest_name.h"
#include "commands/key_string.h"
#include "commands/library_names.h"
#include "interpreter/variables.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

using Interpreter = TBasicInterpreter;

// One token of a statement, kept while the walk looks at the whole statement.
struct Tok {
  TokenKind Kind = TokenKind::None;
  int Id = Interpreter::kIdNone;
  std::string_view Text;
  std::string Lower;
  bool Unclosed = false;  // a string literal without its closing quote

  bool Is(Keyword k) const { return Id == static_cast<int>(k) && Kind != TokenKind::tkOperator; }
  bool IsSymbol(std::string_view symbol) const {
    return (Kind == TokenKind::tkOperator || Kind == TokenKind::tkOther) && Text == symbol;
  }
  bool IsWord() const {
    return Kind == TokenKind::tkVariable || Kind == TokenKind::tkStatement || Kind == TokenKind::tkFunction ||
           Kind == TokenKind::tkUserFunction || Kind == TokenKind::tkLabel;
  }
  // A word the language keeps for itself: statement keywords, commands, block words, functions.
  bool IsReserved() const { return Kind == TokenKind::tkStatement || Kind == TokenKind::tkFunction; }
  // What may follow a variable but never a reserved word: an assignment, a comparison or an index.
  bool FollowsAVariable() const {
    if (Kind == TokenKind::tkOther) return Text == "[";
    if (Kind != TokenKind::tkOperator) return false;
    return Text == "=" || Text == "<>" || Text == "<" || Text == ">" || Text == "<=" || Text == ">=";
  }
};

enum class BlockKind { If, For, While, CaseOf };

struct BlockWords {
  const char* Open;
  const char* Close;
};
constexpr BlockWords kBlockWords[] = {{"if", "endif"}, {"for", "endfor"}, {"while", "endwhile"}, {"caseof", "endcase"}};
const BlockWords& WordsOf(BlockKind kind) { return kBlockWords[static_cast<int>(kind)]; }

struct OpenBlock {
  BlockKind Kind;
  std::size_t Line;
};

struct Finding {
  std::size_t Line;  // index into the script's stored lines
  std::string Word;
  std::string Message;
  bool RestatesError = false;  // what the syntax check reports as an error, when it gets there
};

struct NameUse {
  std::string Name;  // normalised
  std::string Word;  // as written
  std::size_t Line;
};

// Variables the interpreter and the command library set themselves, so a script may read them unassigned.
bool IsSystemVariable(std::string_view name) {
  const auto same = [name](std::string_view known) { return EqualsIgnoringAsciiCase(name, known); };
  return std::any_of(kInterpreterVariables.begin(), kInterpreterVariables.end(), same) ||
         std::any_of(kLibraryVariables.begin(), kLibraryVariables.end(), same);
}

// Library functions whose arguments at these positions name variables that receive results.
struct NamingFunction {
  std::string_view Name;
  std::initializer_list<int> Positions;
};
const NamingFunction kNamingFunctions[] = {
    {"pop3firstheader", {0, 1}}, {"pop3nextheader", {0, 1}}, {"pop3gethead", {1, 2}},
    {"pop3retrieve", {1}},       {"pop3getmail", {1}},
};

std::string Quoted(std::string_view word) { return "'" + std::string(word) + "'"; }

std::string Suggestion(std::string_view closest) {
  return closest.empty() ? "" : " (did you mean " + Quoted(closest) + "?)";
}

// The index of the first "," at the top level of the tokens from `from`, or t.size().
std::size_t TopLevelComma(std::span<const Tok> t, std::size_t from) {
  int depth = 0;
  for (std::size_t i = from; i < t.size(); ++i) {
    if (t[i].IsSymbol("(")) ++depth;
    if (t[i].IsSymbol(")")) --depth;
    if (depth == 0 && t[i].IsSymbol(",")) return i;
  }
  return t.size();
}

// The arguments of a call whose "(" is at `open`: for each, its first and one-past-last token.
std::vector<std::pair<std::size_t, std::size_t>> CallArguments(std::span<const Tok> t, std::size_t open) {
  std::vector<std::pair<std::size_t, std::size_t>> arguments;
  int depth = 0;
  std::size_t start = open + 1;
  for (std::size_t i = open + 1; i < t.size(); ++i) {
    if (t[i].IsSymbol("(")) ++depth;
    if (t[i].IsSymbol(")")) {
      if (depth == 0) {
        if (i > start || !arguments.empty()) arguments.emplace_back(start, i);
        return arguments;
      }
      --depth;
    }
    if (depth == 0 && t[i].IsSymbol(",")) {
      arguments.emplace_back(start, i);
      start = i + 1;
    }
  }
  if (t.size() > start) arguments.emplace_back(start, t.size());
  return arguments;
}

class ScriptWalk {
 public:
  explicit ScriptWalk(Interpreter& interpreter) : in_(interpreter) {}

  std::vector<Finding> Run() {
    for (;;) {
      in_.NextToken();
      if (in_.AtEndOfScript()) break;
      const std::size_t line = in_.LineIndex - 1;
      if (in_.TokenIs(Keyword::Include)) {
        NoteStatement("include", line);
        in_.ProcessInclude();
        continue;
      }
      tokens_.clear();
      while (!in_.AtEndOfLine() && !in_.AtEndOfScript()) {
        AddCurrent();
        in_.NextToken();
      }
      Statement(tokens_, line);
    }
    if (place_ == Place::Definition)
      Warn(definitionLine_, definition_, Quoted(definition_) + " has no 'endsub' or 'endfunc'");
    CloseContext();
    Finish();
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.Line < b.Line; });
    return std::move(findings_);
  }

 private:
  // The current token, made in place at the end of the statement's tokens. Its text is read as its two
  // halves, as the tokenizer has just stored them, and the token is not copied whole: one wide read of
  // fields just stored piece by piece would wait for those stores to finish.
  void AddCurrent() {
    const char* const text = in_.Token.data();
    const std::size_t length = in_.Token.size();
    Tok& tok = tokens_.emplace_back();
    tok.Kind = in_.Kind;
    tok.Id = in_.TokenId;
    tok.Text = std::string_view(text, length);
    if (tok.IsWord()) tok.Lower = LowerAscii(tok.Text);
    // A closed literal's text is followed by its quote; an unclosed one runs to the line's end marker.
    if (tok.Kind == TokenKind::tkString) tok.Unclosed = *(text + length) != '"';
  }

  void Warn(std::size_t line, std::string_view word, std::string message, bool restatesError = false) {
    findings_.push_back({line, std::string(word), std::move(message), restatesError});
  }

  // ---- Statements --------------------------------------------------------------------------

  void Statement(std::span<const Tok> t, std::size_t line) {
    while (!t.empty() && t[0].Kind == TokenKind::tkLabel) {
      labels_.push_back({t[0].Lower, std::string(t[0].Text), line});
      if (place_ == Place::AfterDefinitions) labelInStretch_ = true;
      t = t.subspan(1);
    }
    if (t.empty()) return;
    std::vector<bool>& done = done_;  // tokens the statement has dealt with itself
    done.assign(t.size(), false);
    const Tok& first = t[0];
    if (first.Is(Keyword::Sub) || first.Is(Keyword::Subroutine) || first.Is(Keyword::Func) ||
        first.Is(Keyword::Function)) {
      BeginDefinition(t, line);
      return;
    }
    if (first.Is(Keyword::EndSub) || first.Is(Keyword::EndFunc)) {
      EndDefinition(first, line);
      return;
    }
    NoteStatement(first.Text, line);
    if (first.IsReserved() && t.size() > 1 && t[1].FollowsAVariable()) {
      // `text = ...`, `clear = 1`: no block is skipped and no statement read, only the word is wrong.
      ReservedAsVariable(first, line);
      done[0] = true;
    } else if (first.Kind == TokenKind::tkVariable) {
      Assignment(t, line, done);
    } else if (first.Kind == TokenKind::tkStatement) {
      done[0] = true;
      if (first.Id == Interpreter::kIdBlock) {
        Block(t, line, done);
      } else if (first.Id == Interpreter::kIdCommand) {
        if (first.Lower == "send") KeyStrings(t, line);
      } else {
        Keyworded(t, line, done);
      }
    }
    Scan(t, line, done);
    // `case condition: statement` runs the statement when the condition holds.
    if (const auto tail = std::exchange(caseTail_, std::nullopt)) Statement(t.subspan(*tail), line);
  }

  void Assignment(std::span<const Tok> t, std::size_t line, std::vector<bool>& done) {
    const Tok& name = t[0];
    if (t.size() > 1 && (t[1].IsSymbol("=") || t[1].IsSymbol("["))) {
      Target(t, 0, line, done);
      return;
    }
    // A closing word of a block met outside its block.
    if (t.size() == 1) {
      for (const auto& block : in_.Shared().Blocks) {
        if (block.second.EndWord != name.Lower) continue;
        Warn(line, name.Text, Quoted(name.Text) + " without " + Quoted(block.first));
        done[0] = true;
      }
    }
  }

  void Keyworded(std::span<const Tok> t, std::size_t line, std::vector<bool>& done) {
    const Tok& first = t[0];
    switch (static_cast<Keyword>(first.Id)) {
      case Keyword::If: {
        blocks_.push_back({BlockKind::If, line});
        for (std::size_t i = 1; i + 1 < t.size(); ++i) {
          if (!t[i].Is(Keyword::Then)) continue;
          Warn(line, t[i + 1].Text,
               Quoted(t[i + 1].Text) + " after THEN never runs: the body of IF starts on the next line");
          break;
        }
        break;
      }
      case Keyword::Else:
        if (blocks_.empty() || blocks_.back().Kind != BlockKind::If) Warn(line, first.Text, "'else' without 'if'");
        break;
      case Keyword::EndIf: Close(BlockKind::If, first, line); break;
      case Keyword::For:
        blocks_.push_back({BlockKind::For, line});
        if (t.size() > 1) Target(t, 1, line, done);
        break;
      case Keyword::EndFor: Close(BlockKind::For, first, line); break;
      case Keyword::ExitFor: Inside(BlockKind::For, first, line); break;
      case Keyword::While: blocks_.push_back({BlockKind::While, line}); break;
      case Keyword::EndWhile: Close(BlockKind::While, first, line); break;
      case Keyword::ExitWhile: Inside(BlockKind::While, first, line); break;
      case Keyword::CaseOf: blocks_.push_back({BlockKind::CaseOf, line}); break;
      case Keyword::Case:
      case Keyword::Otherwise: {
        if (blocks_.empty() || blocks_.back().Kind != BlockKind::CaseOf)
          Warn(line, first.Text, Quoted(first.Text) + " outside 'caseof'");
        // The condition ends at ":" (which a word before it takes as its label mark).
        for (std::size_t i = 1; i < t.size(); ++i) {
          if (!t[i].IsSymbol(":") && t[i].Kind != TokenKind::tkLabel) continue;
          if (t[i].Kind == TokenKind::tkLabel) Read(t[i], line);
          for (std::size_t j = i; j < t.size(); ++j) done[j] = true;
          if (i + 1 < t.size()) caseTail_ = i + 1;
          break;
        }
        break;
      }
      case Keyword::EndCase: Close(BlockKind::CaseOf, first, line); break;
      case Keyword::Goto:
      case Keyword::Gosub:
        if (t.size() > 1) {
          jumps_.push_back({t[1].Lower, std::string(t[1].Text), line});
          done[1] = true;
        }
        break;
      case Keyword::Global:
        if (t.size() > 1) Target(t, 1, line, done);
        break;
      case Keyword::Input: {
        const std::size_t comma = TopLevelComma(t, 1);
        if (comma + 1 < t.size()) Target(t, comma + 1, line, done);
        break;
      }
      case Keyword::End:
        if (t.size() > 1) EndWithAWord(t[1], line);
        break;
      default:
        break;
    }
  }

  // `end if` is `end`, which ends the run, followed by words nobody reads.
  void EndWithAWord(const Tok& next, std::size_t line) {
    static constexpr std::pair<Keyword, const char*> kClosers[] = {
        {Keyword::If, "endif"},         {Keyword::For, "endfor"},     {Keyword::While, "endwhile"},
        {Keyword::CaseOf, "endcase"},   {Keyword::Case, "endcase"},   {Keyword::Sub, "endsub"},
        {Keyword::Subroutine, "endsub"}, {Keyword::Func, "endfunc"}, {Keyword::Function, "endfunc"},
    };
    for (const auto& [keyword, closer] : kClosers) {
      if (!next.Is(keyword)) continue;
      Warn(line, "end " + std::string(next.Text),
           "'end " + std::string(next.Text) + "' ends the run here; the closing word is " + Quoted(closer));
      return;
    }
  }

  // The variable a statement assigns: t[at] must be a plain name.
  void Target(std::span<const Tok> t, std::size_t at, std::size_t line, std::vector<bool>& done) {
    done[at] = true;
    if (t[at].Kind == TokenKind::tkVariable) {
      Assign(t[at].Text);
      if (at + 1 < t.size() && t[at + 1].IsSymbol("[")) arrays_.insert(NormalizeName(t[at].Text));
    } else if (t[at].IsReserved()) {
      ReservedAsVariable(t[at], line);
    }
  }

  // ---- Blocks of text, macros and dialogs ----------------------------------------------------

  void Block(std::span<const Tok> t, std::size_t line, std::vector<bool>& done) {
    const Tok& word = t[0];
    std::string endWord;
    for (const auto& block : in_.Shared().Blocks)
      if (block.first == word.Lower) endWord = block.second.EndWord;
    if ((word.Lower == "text" || word.Lower == "string") && t.size() > 1) Target(t, 1, line, done);
    const auto& lines = in_.Shared().Lines;
    const std::size_t bodyStart = in_.LineIndex;
    in_.SkipBlock(word.Lower);
    const bool closed = in_.LineIndex > bodyStart &&
                        LowerAscii(Trimmed(lines[in_.LineIndex - 1])).starts_with(endWord);
    const std::size_t bodyEnd = closed ? in_.LineIndex - 1 : lines.size();
    if (!closed) Warn(line, word.Text, Quoted(word.Text) + " without " + Quoted(endWord));
    for (std::size_t i = bodyStart; i < bodyEnd; ++i) {
      std::string_view body = lines[i];
      if (body.ends_with('~')) body.remove_suffix(1);
      if (word.Lower == "macro") KeyString(body, i);
      if (word.Lower == "dialog") DialogNames(body);
    }
  }

  // A dialog sets the variables its controls name; every name-like word of its definition may be one.
  void DialogNames(std::string_view body) {
    for (std::size_t i = 0; i < body.size();) {
      const char c = body[i];
      if (!(std::isalpha(static_cast<unsigned char>(c)) || c == '_')) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < body.size() && (std::isalnum(static_cast<unsigned char>(body[end])) || body[end] == '_' ||
                                   body[end] == '.' || body[end] == '$'))
        ++end;
      Assign(body.substr(i, end - i));
      i = end;
    }
  }

  void KeyStrings(std::span<const Tok> t, std::size_t line) {
    for (std::size_t i = 1; i < t.size(); ++i)
      if (t[i].Kind == TokenKind::tkString) KeyString(t[i].Text, line);
  }

  void KeyString(std::string_view keys, std::size_t line) {
    for (const std::string& name : ParseKeyString(keys).UnknownNames)
      Warn(line, "{" + name + "}", Quoted("{" + name + "}") + " names no key");
  }

  // ---- Definitions and code that never runs -------------------------------------------------

  void NoteStatement(std::string_view word, std::size_t line) {
    if (place_ == Place::AfterDefinitions && !labelInStretch_ && !stretchReported_) {
      Warn(line, word, Quoted(word) + " never runs: a run ends at its first sub or function definition");
      stretchReported_ = true;
    }
    anyStatement_ = true;
  }

  void BeginDefinition(std::span<const Tok> t, std::size_t line) {
    const std::string name = t.size() > 1 ? std::string(t[1].Text) : std::string();
    if (place_ == Place::Definition)
      Warn(definitionLine_, definition_, Quoted(definition_) + " has no 'endsub' or 'endfunc'");
    CloseContext();
    if (!anyStatement_ && place_ == Place::Main)
      Warn(line, name,
           "The script starts with the definition of " + Quoted(name) + ", so running it does nothing");
    place_ = Place::Definition;
    definition_ = name;
    definitionLine_ = line;
    // Parameters are set by every call.
    for (std::size_t i = 2; i < t.size(); ++i)
      if (t[i].Kind == TokenKind::tkVariable) Assign(t[i].Text);
  }

  void EndDefinition(const Tok& word, std::size_t line) {
    if (place_ != Place::Definition) {
      Warn(line, word.Text, Quoted(word.Text) + " without 'sub' or 'func'", true);
      return;
    }
    CloseContext();
    place_ = Place::AfterDefinitions;
    stretchReported_ = false;
    labelInStretch_ = false;
  }

  // Reports the blocks still open at the end of the main code or of a definition.
  void CloseContext() {
    for (const OpenBlock& block : blocks_) {
      const BlockWords& words = WordsOf(block.Kind);
      std::string message = Quoted(words.Open) + " without " + Quoted(words.Close);
      if (place_ == Place::Definition) message += " before the end of " + Quoted(definition_);
      Warn(block.Line, words.Open, std::move(message));
    }
    blocks_.clear();
  }

  void Close(BlockKind kind, const Tok& word, std::size_t line) {
    auto match = std::find_if(blocks_.rbegin(), blocks_.rend(), [kind](const OpenBlock& b) { return b.Kind == kind; });
    if (match == blocks_.rend()) {
      Warn(line, word.Text, Quoted(word.Text) + " without " + Quoted(WordsOf(kind).Open));
      return;
    }
    // Blocks opened after the one this word closes were never closed themselves.
    const auto keep = static_cast<std::size_t>(blocks_.rend() - match) - 1;
    for (std::size_t i = keep + 1; i < blocks_.size(); ++i) {
      const BlockWords& words = WordsOf(blocks_[i].Kind);
      Warn(blocks_[i].Line, words.Open, Quoted(words.Open) + " without " + Quoted(words.Close));
    }
    blocks_.resize(keep);
  }

  void Inside(BlockKind kind, const Tok& word, std::size_t line) {
    const bool inside = std::any_of(blocks_.begin(), blocks_.end(), [kind](const OpenBlock& b) { return b.Kind == kind; });
    if (!inside) Warn(line, word.Text, Quoted(word.Text) + " outside " + Quoted(WordsOf(kind).Open));
  }

  // ---- Words inside statements --------------------------------------------------------------

  void Scan(std::span<const Tok> t, std::size_t line, std::vector<bool>& done) {
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (done[i]) continue;
      const Tok& tok = t[i];
      const Tok* next = i + 1 < t.size() ? &t[i + 1] : nullptr;
      const bool called = next && next->IsSymbol("(");
      if (tok.Kind == TokenKind::tkString && tok.Unclosed) {
        const std::string shown = "\"" + std::string(tok.Text.substr(0, 20));
        Warn(line, shown, "Text " + shown + " has no closing quote");
      } else if (tok.Kind == TokenKind::tkVariable) {
        if (tok.Lower == "and" || tok.Lower == "or") continue;
        if (next && next->IsSymbol("[")) arrays_.insert(NormalizeName(tok.Text));
        if (called)
          calledVariables_.push_back({NormalizeName(tok.Text), std::string(tok.Text), line});
        else
          Read(tok, line);
      } else if (tok.IsReserved() && next && next->FollowsAVariable()) {
        ReservedAsVariable(tok, line);
      } else if (tok.Kind == TokenKind::tkUserFunction && called) {
        ByReference(t, i, done);
      } else if (tok.Kind == TokenKind::tkFunction && called) {
        NamingArguments(t, i, done);
      }
    }
  }

  // Only the first read of each name is kept: that is where a warning would point.
  void Read(const Tok& tok, std::size_t line) {
    std::string name = NormalizeName(tok.Text);
    if (readNames_.insert(name).second) reads_.push_back({std::move(name), std::string(tok.Text), line});
  }
  void Assign(std::string_view name) { assigned_.insert(NormalizeName(name)); }

  void ReservedAsVariable(const Tok& tok, std::size_t line) {
    std::string kind = "a statement word";
    if (tok.Id == Interpreter::kIdBlock) kind = "a block word";
    if (tok.Id == Interpreter::kIdCommand) kind = "a command";
    if (tok.Kind == TokenKind::tkFunction && !tok.Is(Keyword::Include)) kind = "a function";
    Warn(line, tok.Text, Quoted(tok.Text) + " is " + kind + " and cannot be a variable");
  }

  // A sub or function's parameters written with "&" assign the plain names given for them.
  void ByReference(std::span<const Tok> t, std::size_t at, std::vector<bool>& done) {
    auto function = in_.Shared().UserFunctions.find(std::string_view(t[at].Lower));
    if (function == in_.Shared().UserFunctions.end()) return;
    std::vector<std::string_view> parameters;
    std::string_view text = function->second.Parameters;
    for (;;) {
      const std::size_t comma = text.find(',');
      parameters.push_back(Trimmed(text.substr(0, comma)));
      if (comma == std::string_view::npos) break;
      text.remove_prefix(comma + 1);
    }
    const auto arguments = CallArguments(t, at + 1);
    for (std::size_t k = 0; k < arguments.size() && k < parameters.size(); ++k) {
      const auto [first, last] = arguments[k];
      if (!parameters[k].starts_with('&') || last != first + 1 || t[first].Kind != TokenKind::tkVariable) continue;
      Assign(t[first].Text);
      done[first] = true;
    }
  }

  // parse, loadvars, setdlgvar, dodialog and the mail functions set variables they are told the names of.
  void NamingArguments(std::span<const Tok> t, std::size_t at, std::vector<bool>& done) {
    const Tok& function = t[at];
    const auto arguments = CallArguments(t, at + 1);
    auto single = [&](std::size_t k) -> const Tok* {
      if (k >= arguments.size() || arguments[k].second != arguments[k].first + 1) return nullptr;
      return &t[arguments[k].first];
    };
    auto assignName = [&](std::size_t k) {
      if (const Tok* name = single(k); name && name->Kind == TokenKind::tkVariable) {
        Assign(name->Text);
        done[arguments[k].first] = true;
      }
    };
    if (function.Id == Interpreter::kBuiltinBase + static_cast<int>(Builtin::Parse)) {
      assignName(0);
    } else if (function.Id == Interpreter::kBuiltinBase + static_cast<int>(Builtin::LoadVars)) {
      const Tok* prefix = single(1);
      if (arguments.size() < 2)
        anyNameMayBeSet_ = true;
      else if (prefix && prefix->Kind == TokenKind::tkString)
        prefixes_.push_back(NormalizeName(prefix->Text));
      else
        anyNameMayBeSet_ = true;
    } else if (function.Lower == "setdlgvar") {
      if (const Tok* name = single(0); name && name->Kind == TokenKind::tkString)
        Assign(name->Text);
      else
        anyNameMayBeSet_ = true;
    } else if (function.Lower == "dodialog") {
      anyNameMayBeSet_ = true;
    } else {
      for (const NamingFunction& naming : kNamingFunctions)
        if (naming.Name == function.Lower)
          for (int k : naming.Positions) assignName(static_cast<std::size_t>(k));
    }
  }

  // ---- Whole-script findings ----------------------------------------------------------------

  void Finish() {
    const auto& known = in_.Shared().Labels;
    std::vector<std::string> labelNames;
    for (const auto& label : known) labelNames.push_back(label.first);
    std::sort(labelNames.begin(), labelNames.end());
    std::unordered_set<std::string> used;
    for (const NameUse& jump : jumps_) {
      used.insert(jump.Name);
      if (!known.count(jump.Name))
        Warn(jump.Line, jump.Word,
             "Label " + Quoted(jump.Word) + " does not exist" + Suggestion(ClosestName(jump.Word, labelNames)),
             true);
    }
    for (const NameUse& label : labels_)
      if (!used.count(label.Name)) Warn(label.Line, label.Word, "Label " + Quoted(label.Word) + " is never used");

    std::vector<std::string> functionNames;
    for (const auto& entry : kBuiltinFunctions) functionNames.emplace_back(entry.Name);
    for (const std::string& name : in_.Shared().Functions) functionNames.push_back(name);
    for (const auto& entry : in_.Shared().UserFunctions) functionNames.push_back(entry.second.Name);
    for (const NameUse& call : calledVariables_) {
      if (arrays_.count(call.Name)) continue;
      Warn(call.Line, call.Word,
           Quoted(call.Word) + " is no function: it reads as a variable whose value is \"0\"" +
               Suggestion(ClosestName(call.Word, functionNames)));
    }

    if (anyNameMayBeSet_) return;
    std::vector<std::string> assignedNames(assigned_.begin(), assigned_.end());
    std::sort(assignedNames.begin(), assignedNames.end());
    for (const NameUse& read : reads_) {
      if (assigned_.count(read.Name) || SetElsewhere(read.Name)) continue;
      Warn(read.Line, read.Word,
           "Variable " + Quoted(read.Word) + " is never assigned, so it reads as \"0\"" +
               Suggestion(ClosestName(read.Name, assignedNames)));
    }
  }

  bool SetElsewhere(const std::string& name) const {
    if (name.starts_with(NormalizeName(Interpreter::GlobalPrefix))) return true;  // shared with called scripts
    if (IsSystemVariable(name)) return true;
    return std::any_of(prefixes_.begin(), prefixes_.end(), [&](const std::string& p) { return name.starts_with(p); });
  }

  enum class Place { Main, Definition, AfterDefinitions };

  Interpreter& in_;
  std::vector<Tok> tokens_;
  std::vector<bool> done_;
  std::optional<std::size_t> caseTail_;  // where a case branch's own statement starts on its line
  std::vector<Finding> findings_;
  std::vector<OpenBlock> blocks_;
  Place place_ = Place::Main;
  std::string definition_;
  std::size_t definitionLine_ = 0;
  bool anyStatement_ = false;
  bool stretchReported_ = false;  // the stretch of code after a definition has its warning
  bool labelInStretch_ = false;   // ... or is reached through a label
  std::vector<NameUse> labels_, jumps_, reads_, calledVariables_;
  std::unordered_set<std::string> assigned_, arrays_, readNames_;
  std::vector<std::string> prefixes_;
  bool anyNameMayBeSet_ = false;
};

}  // namespace

std::string WarningText(const CheckWarning& warning) {
  return "[" + warning.Module + "] Warning: " + warning.Message + " on line: " + std::to_string(warning.Line);
}

CheckOutcome CheckScript(TBasicInterpreter& interpreter) {
  CheckOutcome outcome;
  std::optional<std::pair<std::string, int>> errorAt;
  std::vector<std::pair<Finding, ScriptPosition>> findings;
  auto reportError = interpreter.OnError;
  auto reportStart = interpreter.OnStart;
  interpreter.OnError = [&](TBasicInterpreter& in, std::string_view module, int line) {
    errorAt = {std::string(module), line};
    if (reportError) reportError(in, module, line);
  };
  // The walk takes place when the syntax check has loaded and indexed the script and before its first
  // statement, so the script is read from disk once. It reads quietly: errors are the check's to report.
  interpreter.OnStart = [&](TBasicInterpreter& in) {
    const bool savedNoError = in.NoError;
    const bool savedStop = Interpreter::StopRequested;
    in.NoError = true;
    Interpreter::StopRequested = false;
    for (Finding& finding : ScriptWalk(in).Run()) {
      const ScriptPosition where = in.PositionOfLine(finding.Line);  // modules are known during the run only
      findings.emplace_back(std::move(finding), where);
    }
    in.NoError = savedNoError;
    Interpreter::StopRequested = savedStop;
    in.JumpToLine(0);
    if (reportStart) reportStart(in);
  };
  // A check reads every line once or twice: the cached form a run builds for lines it goes through again and
  // again would cost more to build than it saves, so the check reads each line from its text.
  const bool savedUncached = interpreter.UncachedReading;
  interpreter.UncachedReading = true;
  interpreter.CheckSyntax();
  interpreter.UncachedReading = savedUncached;
  interpreter.OnError = reportError;
  interpreter.OnStart = reportStart;
  if (!interpreter.RunStarted()) return outcome;
  outcome.Loaded = true;
  outcome.ErrorFound = errorAt.has_value();
  for (auto& [finding, where] : findings) {
    CheckWarning warning{where.Module, static_cast<int>(where.Line), std::move(finding.Word), std::move(finding.Message)};
    if (finding.RestatesError && errorAt && errorAt->first == warning.Module && errorAt->second == warning.Line)
      continue;
    outcome.Warnings.push_back(std::move(warning));
  }
  return outcome;
}

}  // namespace tw
