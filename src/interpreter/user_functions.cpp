// Calls of script subs and functions, each run by a child interpreter.

#include <vector>

#include "interpreter/interpreter.h"
#include "interpreter/invariant.h"
#include "interpreter/name_hash.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr int kMaximumCallDepth = 20;

std::vector<std::string_view> SplitTrimmed(std::string_view text) {
  std::vector<std::string_view> items;
  for (;;) {
    std::size_t comma = text.find(',');
    items.push_back(Trimmed(text.substr(0, comma)));
    if (comma == std::string_view::npos) return items;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace

void TBasicInterpreter::SplitParameters(TUserFunction& function) {
  function.ParameterList.clear();
  if (!Trimmed(function.Parameters).empty())
    for (std::string_view parameter : SplitTrimmed(function.Parameters)) function.ParameterList.emplace_back(parameter);
  function.AnyByReference = false;
  function.ParameterNames.clear();
  for (const std::string& parameter : function.ParameterList) {
    std::string_view name = parameter;
    if (!name.empty() && name.front() == '&') {
      function.AnyByReference = true;
      name.remove_prefix(1);
    }
    std::string normalized = NormalizeName(name);
    const std::size_t hash = HashName(normalized);
    function.ParameterNames.emplace_back(std::move(normalized), hash);
  }
}

ScriptValue TBasicInterpreter::CallUserFunction(const TUserFunction* function) {
  ScriptValue result("0");
  if (!function || CallDepth >= kMaximumCallDepth) {
    ScriptError(CallDepth >= kMaximumCallDepth ? "Maximum Recursive Level of 20 has been Reached"
                                               : "User-Defined Subroutine Not Found!");
    return result;
  }
  // A call made while another of this interpreter's calls reads its arguments gets a child of its own.
  std::unique_ptr<TBasicInterpreter> child = std::move(spareChild_);
  if (child)
    child->ResetForCall(*this);
  else
    child = CreateChild(*this);
  struct CallEnd {
    TBasicInterpreter& caller;
    std::unique_ptr<TBasicInterpreter>& child;
    ~CallEnd() {
      child->EndCall();
      if (!caller.spareChild_) caller.spareChild_ = std::move(child);
    }
  } callEnd{*this, child};
  // The call's locals reuse the storage of the previous call's, which it hands back at the end.
  struct LocalsLoan {
    VariableTable& spare;
    VariableTable& locals;
    ~LocalsLoan() { spare.TakeStorage(locals); }
  } loan{spareLocals_, child->Locals};
  child->Locals.TakeStorage(spareLocals_);
  child->ProcName = function->Name;
  NextToken();
  if (!TokenIsOperator('(')) {
    ScriptError("Unbalanced \"(\" or \")\"");
    return result;
  }
  const std::string_view argumentText = RestOfLine();
  const std::vector<std::string>& parameters = function->ParameterList;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    std::string_view parameter = parameters[i];
    ScriptValue argument = ReadOptionalArgument(ScriptValue::Integer(0));
    if (!parameter.empty() && parameter.front() == '&') parameter.remove_prefix(1);
    if (parameter.empty()) continue;
    // SplitParameters prepares a name for every parameter.
    const auto& [normalized, hash] = function->ParameterNames[i];
    child->SetKnownVariable(parameter, normalized, hash, argument);
  }

  if (!CheckMode) {
    struct DepthGuard {
      DepthGuard() {
        ++CallDepth;
        TW_ASSERT(CallDepth >= 1 && CallDepth <= kMaximumCallDepth);
      }
      ~DepthGuard() {
        TW_ASSERT(CallDepth >= 1);  // every call leaves as many levels as it entered
        --CallDepth;
      }
    } depth;
    const ModuleEntry* bodyModule = ModuleOfLine(function->BodyLine);
    const std::size_t bodyOffset = bodyModule ? bodyModule->FirstIndex : 0;
    child->ModuleOffset = bodyOffset;
    if (OnModule) OnModule(*this, bodyModule ? bodyModule->FileName : "Main", 0, bodyOffset, function->BodyLine);
    child->Run(function->BodyLine);
    static const std::size_t resultHash = HashName("result");
    result = child->GetKnownVariable("result", "result", resultHash);
    if (OnModule) {
      const std::size_t callerLine = LineIndex > 0 ? LineIndex - 1 : 0;
      const ModuleEntry* callerModule = ModuleOfLine(callerLine);
      OnModule(*this, callerModule ? callerModule->FileName : "Main", 1, ModuleOffset, callerLine);
    }
  }

  if (!StopRequested && function->AnyByReference) {
    // Parameters written with "&" hand their final value back to the variable given for them.
    std::string_view given = argumentText.substr(0, argumentText.find(')'));
    std::vector<std::string_view> arguments = SplitTrimmed(given);
    for (std::size_t i = 0; i < parameters.size() && i < arguments.size(); ++i) {
      std::string_view parameter = parameters[i];
      if (parameter.empty() || parameter.front() != '&' || arguments[i].empty()) continue;
      SetVariable(arguments[i], child->GetVariable(parameter.substr(1)));
    }
  }
  NextToken();  // the ")"
  NextToken();
  return result;
}

}  // namespace tw
