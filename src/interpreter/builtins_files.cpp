// fileexists, filedelete, filecopy, filerename, fileinfo, fileversion, filegetattr, filesetattr,
// filename, loadfromfile and savetofile.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "files/atomic_file.h"
#include "files/file_text.h"
#include "files/system_folders.h"
#include "interpreter/builtins.h"
#include "interpreter/file_attributes.h"
#include "interpreter/file_system.h"
#include "interpreter/interpreter.h"
#include "interpreter/locale/datetime.h"
#include "interpreter/pe_version.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

void FileExists(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  result = ScriptValue::Integer(ExistsAsFile(file) ? 1 : 0);
}

void FileDelete(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  result = ScriptValue::Integer(RemoveFile(file) ? 1 : 0);
}

void FileCopy(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string source = in.ReadArgument();
  const std::string dest = in.ReadArgument();
  const ScriptValue modeArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, modeArgument, mode) || source.empty() || dest.empty()) return;
  result = ScriptValue::Integer(CopyRegularFile(source, dest, mode == 1) ? 1 : 0);
}

void FileRename(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string oldName = in.ReadArgument();
  const std::string newName = in.ReadArgument();
  if (in.CheckMode || oldName.empty() || newName.empty()) return;
  result = ScriptValue::Integer(MoveWithoutReplacing(oldName, newName) ? 1 : 0);
}

void FileInfo(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("0");
  const std::string what = LowerAscii(in.ReadArgument());
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  if (std::string_view(" age length size ").find(what) == std::string_view::npos) {
    in.ScriptError("Invalid Value");
    return;
  }
  if (file.empty()) return;
  const std::optional<FileStatus> info = StatusOf(file);
  if (!info) {
    if (!IsMissingFileError(errno)) in.ScriptError(FileFailure("Cannot examine", file, errno));
    return;
  }
  if (what == "age") {
    try {
      const double age = localDateTimeFromUnixTime(info->modifiedSeconds, info->modifiedNanoseconds);
      result = ScriptValue(formatDateTime("dd/mm/yyyy hh:nn:ss", age));
    } catch (const std::out_of_range&) {
      in.ScriptError("The last-write time of \"" + file + "\" is out of range");
    }
  } else if (std::string_view("length;size").find(what) != std::string_view::npos) {
    result = ScriptValue(std::to_string(info->folder ? 0 : info->size));
  }
}

void FileVersion(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  int error = 0;
  const std::optional<PeFileVersion> version = ReadPeFileVersionOfFile(file, error);
  if (version) {
    result = ScriptValue(version->ToText());
  } else if (error != 0 && !IsMissingFileError(error)) {
    in.ScriptError(FileFailure("Cannot read file", file, error));
  }
}

void FileGetAttr(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  // A missing file has no attributes.
  if (const std::optional<unsigned> attributes = ReadFileAttributes(file))
    result = ScriptValue(AttributeLetters(*attributes));
  else if (!IsMissingFileError(errno))
    in.ScriptError(FileFailure("Cannot examine", file, errno));
}

void FileSetAttr(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(1);
  const std::string file = in.ReadArgument();
  const std::string letters = in.ReadArgument();
  if (in.CheckMode) return;
  const bool done = !file.empty() && WriteFileAttributes(file, ParseAttributeLetters(letters));
  result = ScriptValue::Integer(done ? 1 : 0);
}

void FileName(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string what = LowerAscii(in.ReadArgument());
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  if (std::string_view(" ext path name ").find(what) == std::string_view::npos) {
    in.ScriptError("Invalid Value");
    return;
  }
  const std::string_view name = NamePart(file);
  if (what == "ext") {
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) result = ScriptValue(name.substr(dot));
  } else if (what == "path") {
    result = ScriptValue(FolderPart(file));
  } else if (what == "name") {
    result = ScriptValue(Trimmed(name.substr(0, name.find('.'))));
  }
}

void LoadFromFile(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  std::optional<std::string> text;
  try {
    text = ReadWholeFile(file);  // a missing file reads as ""
  } catch (const std::runtime_error& failure) {
    in.ScriptError(failure.what());
    return;
  }
  if (text) result = ScriptValue(WithCrLfLines(*text));
}

void SaveToFile(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  try {
    WriteFileAtomically(ReplacementTarget(file), WithCrLfLines(text));
  } catch (const std::runtime_error& failure) {
    in.ScriptError(failure.what());
    return;
  }
  result = ScriptValue::Integer(1);
}

}  // namespace

void AddFileFunctions(BuiltinTable& table) {
  table.Set(Builtin::FileExists, FileExists);
  table.Set(Builtin::FileDelete, FileDelete);
  table.Set(Builtin::FileCopy, FileCopy);
  table.Set(Builtin::FileRename, FileRename);
  table.Set(Builtin::FileInfo, FileInfo);
  table.Set(Builtin::FileVersion, FileVersion);
  table.Set(Builtin::FileGetAttr, FileGetAttr);
  table.Set(Builtin::FileSetAttr, FileSetAttr);
  table.Set(Builtin::FileName, FileName);
  table.Set(Builtin::LoadFromFile, LoadFromFile);
  table.Set(Builtin::SaveToFile, SaveToFile);
}

}  // namespace tw
