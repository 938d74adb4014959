// chdir, curdir, mkdir, rmdir, scriptdir, homedir, tempdir, getdir and getfile.

#include <filesystem>
#include <system_error>

#include "files/system_folders.h"
#include "interpreter/builtins.h"
#include "interpreter/file_system.h"
#include "interpreter/interpreter.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

void ChDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(1);
  const std::string dir = in.ReadArgument();
  if (in.CheckMode || dir.empty()) return;
  result = ScriptValue::Integer(ChangeFolder(dir) ? 1 : 0);
}

void CurDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  if (in.CheckMode) return;
  std::error_code error;
  const std::filesystem::path dir = std::filesystem::current_path(error);
  if (!error) result = ScriptValue(dir.string());
}

void MkDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string dir = in.ReadArgument();
  const ScriptValue modeArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, modeArgument, mode) || dir.empty()) return;
  bool made;
  if (mode == 1) {
    // With every missing parent; a folder that is already there counts as made.
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    made = !error && std::filesystem::is_directory(dir, error);
  } else {
    made = MakeFolder(dir);
  }
  result = ScriptValue::Integer(made ? 1 : 0);
}

void RmDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string dir(Trimmed(in.ReadArgument()));
  if (in.CheckMode || dir.empty()) return;
  result = ScriptValue::Boolean(RemoveFolder(dir));
}

void ScriptDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  if (in.CheckMode || in.FileName.empty()) return;
  std::string dir(FolderPart(in.FileName));
  if (in.FileName.front() != '/' && !StartFolder().empty()) dir = WithTrailingSlash(StartFolder()) + dir;
  result = ScriptValue(dir);
}

void HomeDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  if (!in.CheckMode) result = ScriptValue(ProgramFolder());
}

void TempDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  if (!in.CheckMode) result = ScriptValue(TemporaryFolder());
}

void GetDir(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string initial = in.ReadOptionalArgument(ScriptValue(HomeFolder())).ToText();
  const std::string caption = in.ReadOptionalArgument(ScriptValue("Select Directory")).ToText();
  if (in.CheckMode) return;
  const std::optional<std::string> chosen = in.Host.PickDirectory(initial, caption);
  if (chosen && !chosen->empty()) result = ScriptValue(WithTrailingSlash(*chosen));
}

void GetFile(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string filter = in.ReadOptionalArgument(ScriptValue("*.*")).ToText();
  const std::string file = in.ReadOptionalArgument(ScriptValue(filter)).ToText();
  const std::string folder = in.ReadOptionalArgument(ScriptValue(HomeFolder())).ToText();
  if (in.CheckMode) return;
  const std::optional<std::string> chosen = in.Host.PickFile(filter, file, folder);
  if (chosen) result = ScriptValue(*chosen);
}

}  // namespace

void AddDirectoryFunctions(BuiltinTable& table) {
  table.Set(Builtin::ChDir, ChDir);
  table.Set(Builtin::CurDir, CurDir);
  table.Set(Builtin::MkDir, MkDir);
  table.Set(Builtin::RmDir, RmDir);
  table.Set(Builtin::ScriptDir, ScriptDir);
  table.Set(Builtin::HomeDir, HomeDir);
  table.Set(Builtin::TempDir, TempDir);
  table.Set(Builtin::GetDir, GetDir);
  table.Set(Builtin::GetFile, GetFile);
}

}  // namespace tw
