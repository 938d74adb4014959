// fopen, fgets, fputs, feof and fclose: line-oriented reading and writing through numbered
// handles shared by a script and its subs and functions.

#include <cerrno>
#include <cmath>

#include "files/file_text.h"
#include "interpreter/builtins.h"
#include "interpreter/handle_numbers.h"
#include "interpreter/interpreter.h"

namespace tw {

namespace {

constexpr std::string_view kCrLf = "\r\n";

struct OpenHandle {
  int Number = 0;
  TFileSystem* File = nullptr;
};

// The open file a handle argument names; reports the failure and answers no file otherwise.
OpenHandle HandleArgument(TBasicInterpreter& in, const std::string& text) {
  double number = 0;
  // Handles are short whole numbers; reading them directly keeps line loops fast.
  if (!text.empty() && text.size() <= 5 &&
      text.find_first_not_of("0123456789") == std::string::npos) {
    for (char digit : text) number = number * 10 + (digit - '0');
  } else {
    try {
      number = ScriptValue(text).ToReal();
    } catch (const ScriptFailure&) {
      in.ScriptError("Invalid Handle");
      return {};
    }
  }
  OpenHandle handle;
  if (number >= 1 && number <= kMaxHandles && number == std::floor(number)) {
    handle.Number = static_cast<int>(number);
    handle.File = in.Shared().Files.Find(handle.Number);
  }
  if (!handle.File) in.ScriptError("Unknown File Handle");
  return handle;
}

void ReportReadFailure(TBasicInterpreter& in, const TFileSystem& file) {
  in.ScriptError(FileFailure("Cannot read file", file.Path(), file.Error()));
}

void ReportWriteFailure(TBasicInterpreter& in, const std::string& path, int error) {
  in.ScriptError(FileFailure("Cannot write file", path, error));
}

void FOpen(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = in.ReadArgument();
  const std::string modeText = in.ReadArgument();
  if (in.CheckMode) return;
  double mode = 0;
  try {
    mode = ScriptValue(modeText).ToReal();
  } catch (const ScriptFailure&) {
    mode = 0;
  }
  if (mode != 1 && mode != 2 && mode != 3) {
    in.ScriptError("Invalid Open Mode");
    return;
  }
  result = ScriptValue::Integer(in.Shared().Files.Open(file, static_cast<FileMode>(static_cast<int>(mode))));
}

// Without a delimiter: the next line. With one: the block of lines up to the first line holding
// the delimiter (see the user documentation). Text left over from a delimiter read is read
// first either way, so nothing is skipped when the two kinds of call are mixed.
void FGets(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string handleText = in.ReadArgument();
  const std::string delimiter = in.ReadOptionalArgument(ScriptValue("")).ToText();
  if (in.CheckMode) return;
  TFileSystem* file = HandleArgument(in, handleText).File;
  if (!file) return;
  if (file->Mode() != FileMode::Read) {
    in.ScriptError("File not open for input");
    return;
  }
  std::string_view line;
  if (delimiter.empty()) {
    if (!file->Pending.empty()) {
      std::string pending = std::move(file->Pending);
      file->Pending.clear();
      if (pending.ends_with(kCrLf)) pending.resize(pending.size() - kCrLf.size());
      result = ScriptValue(pending);
      return;
    }
    switch (file->ReadLine(line)) {
      case IoResult::Ok: result = ScriptValue(line); break;
      case IoResult::EndOfFile: break;
      case IoResult::Failed: ReportReadFailure(in, *file); break;
    }
    return;
  }
  std::string block = std::move(file->Pending);
  file->Pending.clear();
  for (;;) {
    const IoResult read = file->ReadLine(line);
    if (read == IoResult::EndOfFile) break;
    if (read == IoResult::Failed) {
      ReportReadFailure(in, *file);
      return;
    }
    const std::size_t hit = line.find(delimiter);
    block += line.substr(0, hit);
    block += kCrLf;
    if (hit != std::string_view::npos) {
      file->Pending = line.substr(hit + delimiter.size());
      file->Pending += kCrLf;
      break;
    }
  }
  result = ScriptValue(block);
}

void FPuts(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = in.ReadArgument();
  const std::string text = in.ReadArgument();
  if (in.CheckMode) return;
  TFileSystem* file = HandleArgument(in, handleText).File;
  if (!file) return;
  if (file->Mode() == FileMode::Read) {
    in.ScriptError("File not open for output");
    return;
  }
  if (file->Write(text) != IoResult::Ok || file->Write(kCrLf) != IoResult::Ok)
    ReportWriteFailure(in, file->Path(), file->Error());
}

void FEof(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = in.ReadArgument();
  if (in.CheckMode) return;
  TFileSystem* file = HandleArgument(in, handleText).File;
  if (!file) return;
  if (file->Mode() != FileMode::Read) {
    in.ScriptError("FEOF Cannot be Used While in Write Mode");
    return;
  }
  // Text left over from a delimiter read is still to be read.
  if (!file->Pending.empty()) return;
  bool atEnd = false;
  if (file->AtEnd(atEnd) == IoResult::Failed) {
    ReportReadFailure(in, *file);
    return;
  }
  result = ScriptValue::Integer(atEnd ? 1 : 0);
}

void FClose(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = in.ReadArgument();
  if (in.CheckMode) return;
  const OpenHandle handle = HandleArgument(in, handleText);
  if (!handle.File) return;
  const std::string path = handle.File->Path();
  const bool writing = handle.File->Mode() != FileMode::Read;
  IoResult closed = IoResult::Ok;
  int error = 0;
  in.Shared().Files.Close(handle.Number, &closed, &error);
  if (closed == IoResult::Failed)
    in.ScriptError(FileFailure(writing ? "Cannot write file" : "Cannot close file", path, error));
}

}  // namespace

void AddFileHandleFunctions(BuiltinTable& table) {
  table.Set(Builtin::FOpen, FOpen);
  table.Set(Builtin::FGets, FGets);
  table.Set(Builtin::FPuts, FPuts);
  table.Set(Builtin::FEof, FEof);
  table.Set(Builtin::FClose, FClose);
}

}  // namespace tw
