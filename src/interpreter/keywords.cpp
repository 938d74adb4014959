#include "interpreter/tokens.h"

namespace tw {

const std::array<TLookupToken<Keyword>, 30> kStatementKeywords = {{
    {"print", Keyword::Print},       {"input", Keyword::Input},
    {"if", Keyword::If},             {"then", Keyword::Then},
    {"else", Keyword::Else},         {"endif", Keyword::EndIf},
    {"goto", Keyword::Goto},         {"for", Keyword::For},
    {"exitfor", Keyword::ExitFor},   {"exitwhile", Keyword::ExitWhile},
    {"endfor", Keyword::EndFor},     {"while", Keyword::While},
    {"endwhile", Keyword::EndWhile}, {"to", Keyword::To},
    {"global", Keyword::Global},     {"clear", Keyword::Clear},
    {"gosub", Keyword::Gosub},       {"return", Keyword::Return},
    {"caseof", Keyword::CaseOf},     {"case", Keyword::Case},
    {"otherwise", Keyword::Otherwise}, {"endcase", Keyword::EndCase},
    {"sub", Keyword::Sub},           {"subroutine", Keyword::Subroutine},
    {"func", Keyword::Func},         {"function", Keyword::Function},
    {"endsub", Keyword::EndSub},     {"endfunc", Keyword::EndFunc},
    {"include", Keyword::Include},   {"end", Keyword::End},
}};

const std::array<TLookupToken<Builtin>, 61> kBuiltinFunctions = {{
    {"abs", Builtin::Abs},             {"allcommands", Builtin::AllCommands},
    {"asc", Builtin::Asc},             {"chr", Builtin::Chr},
    {"chdir", Builtin::ChDir},         {"curdir", Builtin::CurDir},
    {"date", Builtin::Date},           {"errorlog", Builtin::ErrorLog},
    {"fclose", Builtin::FClose},       {"feof", Builtin::FEof},
    {"fgets", Builtin::FGets},         {"find", Builtin::Find},
    {"fopen", Builtin::FOpen},         {"fputs", Builtin::FPuts},
    {"fileexists", Builtin::FileExists}, {"filedelete", Builtin::FileDelete},
    {"filecopy", Builtin::FileCopy},   {"filegetattr", Builtin::FileGetAttr},
    {"fileinfo", Builtin::FileInfo},   {"filerename", Builtin::FileRename},
    {"filesetattr", Builtin::FileSetAttr}, {"fileversion", Builtin::FileVersion},
    {"filename", Builtin::FileName},   {"fclose", Builtin::FClose},
    {"loadfromfile", Builtin::LoadFromFile}, {"savetofile", Builtin::SaveToFile},
    {"getdir", Builtin::GetDir},       {"getfile", Builtin::GetFile},
    {"left", Builtin::Left},           {"leftpad", Builtin::LeftPad},
    {"length", Builtin::Length},       {"loadvars", Builtin::LoadVars},
    {"lower", Builtin::Lower},         {"mid", Builtin::Mid},
    {"mkdir", Builtin::MkDir},         {"msgbox", Builtin::MsgBox},
    {"noerror", Builtin::NoError},     {"now", Builtin::Now},
    {"output", Builtin::Output},       {"pos", Builtin::Find},
    {"parse", Builtin::Parse},         {"right", Builtin::Right},
    {"rmdir", Builtin::RmDir},         {"round", Builtin::Round},
    {"rightpad", Builtin::RightPad},   {"random", Builtin::Random},
    {"savevars", Builtin::SaveVars},   {"scriptdir", Builtin::ScriptDir},
    {"homedir", Builtin::HomeDir},     {"tempdir", Builtin::TempDir},
    {"str", Builtin::Str},             {"sqrt", Builtin::Sqrt},
    {"time", Builtin::Time},           {"trim", Builtin::Trim},
    {"trunc", Builtin::Trunc},         {"upper", Builtin::Upper},
    {"val", Builtin::Val},             {"dtval", Builtin::DtVal},
    {"dtstr", Builtin::DtStr},         {"varbyname", Builtin::VarByName},
    {"version", Builtin::Version},
}};

const std::array<std::string_view, 5> kInterpreterVariables = {"_endoncancel", "True", "False", "Empty", "result"};

const std::array<std::string_view, 2> kConditionWords = {"and", "or"};

}  // namespace tw
