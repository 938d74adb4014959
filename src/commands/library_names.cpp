#include "commands/library_names.h"

namespace tw {

namespace {
constexpr auto S = CommandGroup::System;
constexpr auto K = CommandGroup::Keys;
constexpr auto W = CommandGroup::Windows;
constexpr auto T = CommandGroup::TextAndDialogs;
constexpr auto R = CommandGroup::RegistryAndDatabase;
constexpr auto C = CommandGroup::Conversations;
constexpr auto I = CommandGroup::Internet;
constexpr auto F = CommandGroup::FilesAndMessages;
}  // namespace

const std::array<LibraryName, 98> kLibraryFunctions = {{
    {"rtftotext", F},       {"pdfcontrol", F},       {"regopen", R},          {"regclose", R},
    {"regdelkey", R},       {"regdelval", R},        {"reggetstr", R},        {"reggetint", R},
    {"reggetbool", R},      {"reggetflt", R},        {"regputstr", R},        {"regputint", R},
    {"regputbool", R},      {"regputflt", R},        {"dbopen", R},           {"dbclose", R},
    {"dbget", R},           {"dbput", R},            {"dbfirst", R},          {"dblast", R},
    {"dbbof", R},           {"dbeof", R},            {"dbback", R},           {"dbnext", R},
    {"dbexecute", R},       {"bom", S},              {"eom", S},              {"grab", W},
    {"waitdos", W},         {"waitwin", W},          {"focus", W},            {"gettitle", W},
    {"getfocus", W},        {"focusclass", W},       {"mousemove", W},        {"getmousepos", W},
    {"mouseupdown", W},     {"mouseclick", W},       {"mouseclickabs", W},    {"mouseclickrel", W},
    {"getdesktop", W},      {"dayofweek", S},        {"getclipboard", W},     {"setclipboard", W},
    {"dderequest", C},      {"ddesendmacro", C},     {"ddeopen", C},          {"ddepoke", C},
    {"ddeclose", C},        {"ddeserverstart", C},   {"ddeservergetmacro", C}, {"ddeserveradditem", C},
    {"ddeserversetitem", C}, {"ddeservergetitem", C}, {"ostype", S},          {"dialogvar", T},
    {"getdlgvar", T},       {"setdlgvar", T},        {"dodialog", T},         {"feedback", S},
    {"explore", S},         {"isnum", S},            {"cpuusage", W},         {"template", T},
    {"templatevar", T},     {"playmedia", S},        {"smtpsetup", I},        {"pop3setup", I},
    {"pop3count", I},       {"pop3gethead", I},      {"pop3getmail", I},      {"pop3firstheader", I},
    {"pop3nextheader", I},  {"pop3retrieve", I},     {"pop3delete", I},       {"pop3connect", I},
    {"pop3disconnect", I},  {"smtpsend", I},         {"mapisend", I},         {"smtpconnect", I},
    {"smtpdisconnect", I},  {"ipaddress", I},        {"getwinpos", W},        {"setwinpos", W},
    {"getparam", S},        {"strreplace", T},       {"gettext", T},          {"ftpconnect", I},
    {"ftpdisconnect", I},   {"ftpexec", I},          {"httpexec", I},         {"appmessage", F},
    {"findfiles", F},       {"findget", F},          {"findafile", F},        {"format", T},
    {"waitfilelock", F},    {"waitforfile", F},
}};

const std::array<LibraryName, 12> kLibraryCommands = {{
    {"send", K},     {"capslock", S}, {"numlock", S}, {"syscmd", S},    {"execute", S},   {"call", S},
    {"sysbreak", S}, {"pause", S},    {"beep", S},    {"prompt", S},    {"mousesave", W}, {"mouserestore", W},
}};

const std::array<LibraryBlock, 4> kLibraryBlocks = {{
    {"dialog", "enddialog"}, {"macro", "endmacro"}, {"string", "endstring"}, {"text", "endtext"},
}};

const std::array<std::string_view, 4> kLibraryVariables = {"_delay", "_sktimeout", "_chkdest", "_ERROR"};

const char* GroupName(CommandGroup group) {
  switch (group) {
    case CommandGroup::System: return "system";
    case CommandGroup::Keys: return "keys";
    case CommandGroup::Windows: return "windows";
    case CommandGroup::TextAndDialogs: return "text and dialogs";
    case CommandGroup::RegistryAndDatabase: return "settings and databases";
    case CommandGroup::Conversations: return "program conversations";
    case CommandGroup::Internet: return "internet";
    case CommandGroup::FilesAndMessages: return "files and messages";
  }
  return "unknown";
}

}  // namespace tw
