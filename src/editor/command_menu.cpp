#include "editor/command_menu.h"

namespace tw::editor {

const std::vector<std::string_view>& CommandMenuLines() {
  // One item a line would make the table ten times as long to read.
  // clang-format off
  static const std::vector<std::string_view> lines = {
    "+Clipboard Functions", "GETCLIPBOARD", "SETCLIPBOARD",
    "+Date/Time Functions", "BOM (Beginning of Month)|BOM", "DATE", "DTVAL", "DTSTR", "EOM (End of Month)|EOM",
    "TIME",
    "+DDE Functions", "DDECLOSE", "DDEOPEN", "DDEPOKE", "DDEREQUEST", "DDESENDMACRO", "-", "DDESERVERSTART",
    "DDESERVERGETMACRO", "DDESERVERADDITEM", "DDESERVERGETITEM", "DDESERVERSETITEM",
    "+Dialog Functions", "DIALOG..ENDDIALOG|DIALOG", "DIALOGVAR",
    "+Directory Functions", "CHDIR", "CURDIR", "HOMEDIR", "MKDIR",
    "+E-Mail Functions", "POP3DELETE", "POP3DISCONNECT", "POP3FIRSTHEADER", "POP3NEXTHEADER", "POP3RETRIEVE",
    "POP3SETUP", "-", "MAPISEND", "SMTPDISCONNECT", "SMTPSETUP", "SMTPSEND", "-", "IPADDRESS",
    "+File Manipulation Functions", "FCLOSE", "FEOF", "FGETS", "FILECOPY", "FILEDELETE", "FILEEXISTS", "FILENAME",
    "FILEVERSION", "FINDAFILE", "FINDFILES", "FINDGET", "FOPEN", "FPUTS",
    "+Internet Functions", "TEMPLATE", "TEMPLATEVAR", "-", "FTPCONNECT", "FTPDISCONNECT", "FTPEXEC", "-",
    "HTTPEXEC",
    // MOUSEPOS is no function of the language: the item gives the one that reads the pointer's position.
    "+Mouse Functions", "GETMOUSEPOS", "MOUSECLICK", "MOUSECLICKABS", "MOUSECLICKREL", "MOUSEMOVE",
    "MOUSEPOS|GETMOUSEPOS", "MOUSERESTORE", "MOUSESAVE", "MOUSEUPDOWN",
    "+String Functions", "CHR", "FORMAT", "MID", "LEFT", "LEFTPAD", "LENGTH", "LOADFROMFILE", "LOWER", "PARSE", "FIND",
    "RIGHT", "RIGHTPAD", "STR", "SAVETOFILE", "STRING...ENDSTRING|STRING", "STRREPLACE", "TRIM", "UPPER", "VAL",
    "+Other Functions", "ABS", "CPUUSAGE", "ERRORLOG", "EXECUTE", "GETPARAM", "ISNUM", "OSTYPE", "PLAYMEDIA", "ROUND",
    "TRUNC", "VARBYNAME",
    "+Window Functions", "FOCUS", "GETDESKTOP", "GETWINPOS", "SETWINPOS", "WAITWIN (Windows App.)|WAITWIN", "-",
    "+DOS Screen", "WAITDOS (DOS App.)|WAITDOS", "GRAB",
    "+Flow Control", "CALL", "CASEOF..ENDCASE|CASE", "END", "EXITFOR", "FOR..ENDFOR|FOR", "IF..ENDIF|IF", "GOSUB",
    "GOTO", "RETURN", "WHILE..ENDWHILE|WHILE",
    "+Input/Output", "INPUT", "PRINT", "PROMPT", "SEND", "MACRO..ENDMACRO|MACRO", "FEEDBACK",
    "+DB Commands", "DBOPEN", "DBCLOSE", "DBEXECUTE", "DBGET", "DBPUT",
    "+Registry Commands", "REGOPEN", "REGCLOSE", "REGDELKEY", "REGDELVAL", "REGGETSTR", "REGGETINT", "REGGETFLT",
    "REGPUTSTR", "REGPUTINT", "REGPUTFLT",
    "+Other Commands", "BEEP", "CAPSLOCK", "GLOBAL", "NUMLOCK", "PAUSE", "PDFCONTROL", "RTFTOTEXT", "SYSBREAK",
    "SYSCMD",
  };
  // clang-format on
  return lines;
}

std::vector<CommandMenuGroup> ParseCommandMenu(const std::vector<std::string_view>& lines) {
  std::vector<CommandMenuGroup> groups;
  for (const std::string_view line : lines) {
    if (line.starts_with('+')) {
      groups.push_back({std::string(line.substr(1)), {}});
      continue;
    }
    if (groups.empty()) groups.push_back({});  // items before any submenu go on the menu itself
    if (line == "-") {
      groups.back().items.push_back({});
      continue;
    }
    const std::size_t bar = line.find('|');
    const std::string_view keyword = bar == std::string_view::npos ? line : line.substr(bar + 1);
    groups.back().items.push_back({std::string(line.substr(0, bar)), std::string(keyword)});
  }
  return groups;
}

}  // namespace tw::editor
