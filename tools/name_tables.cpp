// Prints the language's name tables as JSON: every statement word, built-in function, library function,
// command, block word, system variable and the words joining comparisons, each library name with its group
// and whether this build has it. The reference, its checks and the editors' syntax files are made from this
// output, so they follow the tables instead of a copy of them.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "commands/library_names.h"
#include "commands/tarnwick_basic.h"
#include "interpreter/tokens.h"
#include "port/fake/fake_desktop.h"
#include "runtime/terminal_host.h"

namespace {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A name the library lists but whose group is not built reports so when a syntax check meets it.
bool Available(const std::string& script) {
  char* messages = nullptr;
  std::size_t size = 0;
  std::FILE* errors = open_memstream(&messages, &size);
  std::FILE* none = std::fopen("/dev/null", "r+");
  {
    tw::TerminalHost host(none, none, errors, false);
    tw::port::fake::FakeDesktop desktop;
    tw::TTarnwickBasic interpreter(host, desktop);
    interpreter.SetScriptText(script, "probe");
    interpreter.CheckSyntax();
  }
  std::fclose(errors);
  std::fclose(none);
  const bool available =
      std::string_view(messages, size).find("not available in this version") == std::string_view::npos;
  std::free(messages);
  return available;
}

void List(const char* key, const std::vector<std::string>& items, bool last = false) {
  std::printf("  %s: [", Quoted(key).c_str());
  for (std::size_t i = 0; i < items.size(); ++i) std::printf("%s\n    %s", i ? "," : "", items[i].c_str());
  std::printf("\n  ]%s\n", last ? "" : ",");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tw;
  // tw_name_tables [FILE]: to standard output, or to FILE.
  if (argc > 1 && !std::freopen(argv[1], "w", stdout)) {
    std::perror(argv[1]);
    return 1;
  }
  std::vector<std::string> statements, functions, library, variables, operators;
  for (const auto& keyword : kStatementKeywords) statements.push_back(Quoted(keyword.Name));
  for (const auto& builtin : kBuiltinFunctions) functions.push_back(Quoted(builtin.Name));
  for (const LibraryName& name : kLibraryFunctions) {
    library.push_back(
        "{\"name\": " + Quoted(name.Name) + ", \"kind\": \"function\", \"group\": " + Quoted(GroupName(name.Group)) +
        ", \"available\": " + (Available("x = " + std::string(name.Name) + "()\n") ? "true" : "false") + "}");
  }
  for (const LibraryName& name : kLibraryCommands)
    library.push_back("{\"name\": " + Quoted(name.Name) +
                      ", \"kind\": \"command\", \"group\": " + Quoted(GroupName(name.Group)) +
                      ", \"available\": " + (Available(std::string(name.Name) + "\n") ? "true" : "false") + "}");
  for (const LibraryBlock& block : kLibraryBlocks)
    library.push_back("{\"name\": " + Quoted(block.Start) + ", \"kind\": \"block\", \"end\": " + Quoted(block.End) +
                      ", \"group\": " + Quoted(GroupName(CommandGroup::TextAndDialogs)) + ", \"available\": " +
                      (Available(std::string(block.Start) + "\n" + std::string(block.End) + "\n") ? "true" : "false") +
                      "}");
  for (std::string_view name : kInterpreterVariables) variables.push_back(Quoted(name));
  for (std::string_view name : kLibraryVariables) variables.push_back(Quoted(name));
  for (std::string_view word : kConditionWords) operators.push_back(Quoted(word));
  std::printf("{\n");
  List("statements", statements);
  List("functions", functions);
  List("library", library);
  List("variables", variables);
  List("operators", operators, true);
  std::printf("}\n");
  return std::fflush(stdout) == 0 ? 0 : 1;
}
