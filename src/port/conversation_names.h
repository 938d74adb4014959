#pragma once
// How conversations are named on the bus, and how script text travels there.
//
// Each process owns "org.tarnwick.Conversation.SERVICE.pPID", SERVICE being the file name the program was
// started under, cut at its first ".", lowered, with every byte other than a-z and 0-9 written as "_xx" (hex).

#include <optional>
#include <string>
#include <string_view>

namespace tw::port {

inline constexpr const char* kConversationNamePrefix = "org.tarnwick.Conversation.";
inline constexpr const char* kConversationPath = "/org/tarnwick/Conversation";
inline constexpr const char* kConversationInterface = "org.tarnwick.Conversation1";

// The label of a service on the bus: lowered and escaped as above. A leading digit is escaped too (a name
// element may not start with one), an empty service is "_", and the label is cut to keep the name legal.
std::string ServiceLabel(std::string_view service);
// The service of a program from the path or name it was started under: "/usr/bin/brindle.bin" is "brindle".
std::string ProgramService(std::string_view program);
// "org.tarnwick.Conversation.LABEL.pPID".
std::string ProcessBusName(std::string_view label, int processId);
// The process id in `busName` when it is a name of the service with `label` (letter case ignored).
std::optional<int> ProcessIdOfService(std::string_view busName, std::string_view label);

// Script text as a bus string: it ends at its first zero byte; valid UTF-8 stays as it is, any other byte is
// taken as Windows-1252; non-characters, which the bus refuses, become U+FFFD.
std::string BusText(std::string_view scriptText);

// Names compared without letter case, as topics and items are.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tw::port
