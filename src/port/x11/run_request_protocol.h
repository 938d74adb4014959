#pragma once
// The names of the program-message protocol on X11 (docs/program-messages.md), shared by its sender and its
// receiver.

namespace tw::port::x11 {

// On a top-level window that accepts texts: CARDINAL, format 32, the highest protocol version the receiver
// speaks. A sender of version N writes to receivers of version N or later.
inline constexpr const char* kReceiverMark = "_TARNWICK_RUN_REQUEST_RECEIVER";
// The texts queued on that window (STRING, format 8, each ended by a zero byte), and the type of the
// ClientMessage that tells the window's owner about them.
inline constexpr const char* kRequestProperty = "_TARNWICK_RUN_REQUEST";
inline constexpr long kProtocolVersion = 1;

}  // namespace tw::port::x11
