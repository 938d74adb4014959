#pragma once
// The names the command library adds to the language, in the order it registers them, each
// with the group of the library that handles it.

#include <array>
#include <cstdint>
#include <string_view>

namespace tw {

enum class CommandGroup : std::uint8_t {
  System,               // toggle keys, beep, pause, programs, prompt, system commands, call
  Keys,                 // typing key strings
  Windows,              // windows, mouse, screen, clipboard, terminal text
  TextAndDialogs,       // text blocks, templates, dialogs
  RegistryAndDatabase,  // settings store and databases
  Conversations,        // conversations with other programs
  Internet,             // FTP, HTTP, mail
  FilesAndMessages,     // file search and waits, documents, messages to the main program
};

struct LibraryName {
  std::string_view Name;
  CommandGroup Group;
};

struct LibraryBlock {
  std::string_view Start;
  std::string_view End;
};

extern const std::array<LibraryName, 98> kLibraryFunctions;
extern const std::array<LibraryName, 12> kLibraryCommands;
extern const std::array<LibraryBlock, 4> kLibraryBlocks;
// Variables the library reads or sets, as the scripts spell them.
extern const std::array<std::string_view, 4> kLibraryVariables;

const char* GroupName(CommandGroup group);

}  // namespace tw
