#include "port/x11/key_tracker.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <utility>

#include "text/utf8.h"

namespace tw::port::x11 {

namespace {

bool IsUtf8Locale(const std::string& locale) {
  return locale.find("UTF-8") != std::string::npos || locale.find("utf8") != std::string::npos ||
         locale.find("UTF8") != std::string::npos || locale.find("utf-8") != std::string::npos;
}

// Where AltGr (the third level) puts its modifier in every keymap of xkeyboard-config.
constexpr const char* kLevelThreeModifier = "Mod5";

bool IsKeypad(KeySym key) { return key >= 0xff80 && key <= 0xffbd; }

// The printable character of a key symbol, UTF-8; nothing for control characters and symbols without one.
std::string PrintableText(KeySym key) {
  const char32_t c = xkb_keysym_to_utf32(key);
  if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0)) return {};
  return text::Utf8(c);
}

// A pair of symbols of a core mapping column: a lone letter stands for its lower and upper case, any other lone
// symbol for itself on both levels (the core protocol's rule).
std::pair<KeySym, KeySym> CorePair(const std::vector<std::uint32_t>& symbols, std::size_t column) {
  const auto at = [&](std::size_t i) -> KeySym { return i < symbols.size() ? symbols[i] : 0; };
  KeySym lower = at(column), upper = at(column + 1);
  if (upper == 0) {
    const KeySym small = xkb_keysym_to_lower(lower), capital = xkb_keysym_to_upper(lower);
    if (small != capital) return {small, capital};
    upper = lower;
  }
  return {lower, upper};
}

}  // namespace

KeyTracker::KeyTracker(xkb_context* context, const std::string& locale) {
  const std::string name = IsUtf8Locale(locale) ? locale : "C.UTF-8";
  composeTable_ = xkb_compose_table_new_from_locale(context, name.c_str(), XKB_COMPOSE_COMPILE_NO_FLAGS);
  if (!composeTable_ && name != "C.UTF-8")
    composeTable_ = xkb_compose_table_new_from_locale(context, "C.UTF-8", XKB_COMPOSE_COMPILE_NO_FLAGS);
  if (composeTable_) compose_ = xkb_compose_state_new(composeTable_, XKB_COMPOSE_STATE_NO_FLAGS);
}

KeyTracker::~KeyTracker() {
  xkb_compose_state_unref(compose_);
  xkb_compose_table_unref(composeTable_);
  xkb_state_unref(state_);
  xkb_keymap_unref(keymap_);
}

void KeyTracker::useKeymap(xkb_keymap* keymap) {
  xkb_state* fresh = xkb_state_new(keymap);
  for (const unsigned keycode : down_) xkb_state_update_key(fresh, keycode, XKB_KEY_DOWN);
  if (state_) {
    xkb_state_update_mask(fresh, xkb_state_serialize_mods(fresh, XKB_STATE_MODS_DEPRESSED),
                          xkb_state_serialize_mods(fresh, XKB_STATE_MODS_LATCHED),
                          xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
                          xkb_state_serialize_layout(fresh, XKB_STATE_LAYOUT_DEPRESSED),
                          xkb_state_serialize_layout(fresh, XKB_STATE_LAYOUT_LATCHED),
                          xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_LOCKED));
  }
  xkb_state_unref(state_);
  xkb_keymap_unref(keymap_);
  keymap_ = keymap;
  state_ = fresh;
  for (auto at = remapped_.begin(); at != remapped_.end();) {
    const xkb_keysym_t* symbols = nullptr;
    std::vector<std::uint32_t> own;
    for (xkb_level_index_t level = 0; level < 2; ++level) {
      const int count = xkb_keymap_key_get_syms_by_level(keymap_, at->first, 0, level, &symbols);
      own.push_back(count > 0 ? symbols[0] : 0);
    }
    if (CorePair(own, 0) == CorePair(at->second, 0))
      at = remapped_.erase(at);
    else
      ++at;
  }
}

void KeyTracker::setLocks(std::uint32_t lockedMods, std::int32_t lockedGroup) {
  if (!state_) return;
  xkb_state_update_mask(state_, xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
                        xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED), lockedMods,
                        xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_DEPRESSED),
                        xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_LATCHED),
                        static_cast<xkb_layout_index_t>(lockedGroup));
}

void KeyTracker::changeCoreMapping(unsigned first, unsigned perKeycode, const std::vector<std::uint32_t>& symbols) {
  if (perKeycode == 0) return;
  for (std::size_t at = 0; at + perKeycode <= symbols.size(); at += perKeycode) {
    const auto begin = symbols.begin() + static_cast<std::ptrdiff_t>(at);
    remapped_[first + static_cast<unsigned>(at / perKeycode)].assign(begin, begin + perKeycode);
  }
}

bool KeyTracker::modifierActive(const char* name, bool locked) const {
  const auto components = locked ? XKB_STATE_MODS_LOCKED
                                 : static_cast<xkb_state_component>(XKB_STATE_MODS_DEPRESSED | XKB_STATE_MODS_LATCHED);
  return xkb_state_mod_name_is_active(state_, name, components) > 0;
}

bool KeyTracker::groupSwitched() const {
  const auto held = static_cast<xkb_state_component>(XKB_STATE_LAYOUT_DEPRESSED | XKB_STATE_LAYOUT_LATCHED);
  return xkb_state_serialize_layout(state_, held) != 0;
}

// A remapped key under the core protocol's rules: the group's column (the second group while a group key is
// held, the third level's columns under AltGr), Shift, and Caps Lock and Num Lock where they apply.
KeySym KeyTracker::coreSymbol(const std::vector<std::uint32_t>& symbols) const {
  std::size_t column = groupSwitched() ? 2 : modifierActive(kLevelThreeModifier, false) ? 4 : 0;
  if (column != 0 && CorePair(symbols, column) == std::pair<KeySym, KeySym>{0, 0}) column = 0;
  const auto [lower, upper] = CorePair(symbols, column);
  const bool shift = modifierActive(XKB_MOD_NAME_SHIFT, false);
  if (IsKeypad(upper) && modifierActive(XKB_MOD_NAME_NUM, true)) return shift ? lower : upper;
  if (lower != upper && modifierActive(XKB_MOD_NAME_CAPS, true)) return shift ? lower : upper;
  return shift ? upper : lower;
}

KeyTracker::Symbols KeyTracker::symbolsOf(unsigned keycode) const {
  if (const auto remapped = remapped_.find(keycode); remapped != remapped_.end())
    return {coreSymbol(remapped->second), CorePair(remapped->second, 0).first};
  if (!state_) return {keys::kNone, keys::kNone};
  xkb_layout_index_t layout = xkb_state_key_get_layout(state_, keycode);
  if (layout == XKB_LAYOUT_INVALID) layout = 0;
  const xkb_keysym_t* symbols = nullptr;
  const int count = xkb_keymap_key_get_syms_by_level(keymap_, keycode, layout, 0, &symbols);
  return {xkb_state_key_get_one_sym(state_, keycode), count > 0 ? symbols[0] : keys::kNone};
}

std::string KeyTracker::textOf(KeySym key) {
  if (compose_ && xkb_compose_state_feed(compose_, key) == XKB_COMPOSE_FEED_ACCEPTED) {
    switch (xkb_compose_state_get_status(compose_)) {
      case XKB_COMPOSE_COMPOSING: return {};
      case XKB_COMPOSE_CANCELLED: xkb_compose_state_reset(compose_); return {};
      case XKB_COMPOSE_COMPOSED: {
        char buffer[64];
        const int length = xkb_compose_state_get_utf8(compose_, buffer, sizeof buffer);
        std::string text = length > 0 && static_cast<std::size_t>(length) < sizeof buffer
                               ? std::string(buffer, static_cast<std::size_t>(length))
                               : PrintableText(xkb_compose_state_get_one_sym(compose_));
        xkb_compose_state_reset(compose_);
        return text;
      }
      case XKB_COMPOSE_NOTHING: break;
    }
  }
  return PrintableText(key);
}

void KeyTracker::resetCompose() {
  if (compose_) xkb_compose_state_reset(compose_);
}

InputEvent KeyTracker::keyEvent(bool down, unsigned keycode) {
  InputEvent event;
  event.kind = down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
  if (state_) {
    event.held = {modifierActive(XKB_MOD_NAME_SHIFT, false), modifierActive(XKB_MOD_NAME_CTRL, false),
                  modifierActive(XKB_MOD_NAME_ALT, false), modifierActive(kLevelThreeModifier, false) || groupSwitched()};
  }
  const Symbols symbols = symbolsOf(keycode);
  event.key = symbols.key;
  event.baseKey = symbols.base;
  if (down) event.text = textOf(symbols.key);
  if (state_) xkb_state_update_key(state_, keycode, down ? XKB_KEY_DOWN : XKB_KEY_UP);
  if (down)
    down_.insert(keycode);
  else
    down_.erase(keycode);
  return event;
}

}  // namespace tw::port::x11
