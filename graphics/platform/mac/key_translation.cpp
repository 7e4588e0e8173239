#include "graphics/platform/mac/key_translation.h"

#include <Foundation/NSCharacterSet.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "common/utf8_text.h"

namespace plugkit::graphics {

namespace {

constexpr int32_t kKeyF1 = 112;
constexpr int32_t kKeyHelp = 45;
constexpr int32_t kKeypadEnter = 0x800D;
// Keys that type nothing are told apart by their hardware code.
constexpr int32_t kUntypedKeyBase = 1024;
// The characters the keyboard gives F1 to F24.
constexpr UniChar kFunctionKeyFirst = 0xF704;
constexpr UniChar kFunctionKeyLast = 0xF71B;
// What Shift-Tab types.
constexpr UniChar kBackTab = 25;
constexpr CFIndex kSurrogatePairLength = 2;

struct HardwareKey {
  unsigned short keyCode;
  int32_t key;
};

// Keys known by where they are on the keyboard, whatever they type.
constexpr HardwareKey kHardwareKeys[] = {
    {51, kKeyBackspace},  // Delete
    // The keypad: decimal, multiply, plus, clear, divide, enter, minus, equals, 0 to 9.
    {65, 110}, {67, 106}, {69, 107}, {71, 144}, {75, 111}, {76, kKeypadEnter}, {78, 109}, {81, 108},
    {82, kKeyNumpad0}, {83, kKeyNumpad0 + 1}, {84, kKeyNumpad0 + 2}, {85, kKeyNumpad0 + 3}, {86, kKeyNumpad0 + 4},
    {87, kKeyNumpad0 + 5}, {88, kKeyNumpad0 + 6}, {89, kKeyNumpad0 + 7}, {91, kKeyNumpad0 + 8}, {92, kKeyNumpad9},
    // F1 to F16.
    {122, kKeyF1}, {120, kKeyF1 + 1}, {99, kKeyF1 + 2}, {118, kKeyF1 + 3}, {96, kKeyF1 + 4}, {97, kKeyF1 + 5},
    {98, kKeyF1 + 6}, {100, kKeyF1 + 7}, {101, kKeyF1 + 8}, {109, kKeyF1 + 9}, {103, kKeyF1 + 10},
    {111, kKeyF1 + 11}, {105, kKeyF1 + 12}, {107, kKeyF1 + 13}, {113, kKeyF1 + 14}, {106, kKeyF1 + 15},
    {114, kKeyHelp}, {115, kKeyHome}, {116, kKeyPageUp}, {117, kKeyDelete}, {119, kKeyEnd}, {121, kKeyPageDown},
    {123, kKeyLeft}, {124, kKeyRight}, {125, kKeyDown}, {126, kKeyUp},
};

// Characters that are keys although no letter or digit.
constexpr UniChar kKeyCharacters[] = {kKeyTab, '\n', kKeyReturn, kKeyEscape, kKeySpace};

uint32_t ModifierFlags(NS::EventModifierFlags modifiers) {
  uint32_t flags = 0;
  if (modifiers & NS::EventModifierFlagShift) flags |= kKeyFlagShift;
  if (modifiers & NS::EventModifierFlagCommand) flags |= kKeyFlagCommand;
  if (modifiers & NS::EventModifierFlagOption) flags |= kKeyFlagOption;
  if (modifiers & NS::EventModifierFlagControl) flags |= kKeyFlagControl;
  return flags;
}

bool IsKeyCharacter(UniChar c) {
  return NS::CharacterSet::alphanumericCharacterSet()->characterIsMember(c) ||
         std::find(std::begin(kKeyCharacters), std::end(kKeyCharacters), c) != std::end(kKeyCharacters);
}

// The text's UTF-16 units when they are one unit or one surrogate pair; else
// none, as the press carries a single character.
std::u16string OneCharacterOf(CFStringRef text) {
  const CFIndex length = text ? CFStringGetLength(text) : 0;
  if (length == 1) return std::u16string(1, CFStringGetCharacterAtIndex(text, 0));
  if (length != kSurrogatePairLength) return {};
  const std::u16string pair = {CFStringGetCharacterAtIndex(text, 0), CFStringGetCharacterAtIndex(text, 1)};
  return IsHighSurrogate(pair[0]) && IsLowSurrogate(pair[1]) ? pair : std::u16string();
}

}  // namespace

TranslatedKey TranslateKey(unsigned short keyCode, CFStringRef charactersIgnoringModifiers,
                           NS::EventModifierFlags modifiers) {
  TranslatedKey result{0, ModifierFlags(modifiers)};
  const auto hardware = std::find_if(std::begin(kHardwareKeys), std::end(kHardwareKeys),
                                     [&](const HardwareKey& entry) { return entry.keyCode == keyCode; });
  if (hardware != std::end(kHardwareKeys)) {
    result.key = hardware->key;
    result.flags |= kKeyFlagKnown;
    return result;
  }
  if (!charactersIgnoringModifiers || CFStringGetLength(charactersIgnoringModifiers) == 0) {
    result.key = kUntypedKeyBase + keyCode;
    result.flags |= kKeyFlagKnown;
    return result;
  }
  UniChar c = CFStringGetCharacterAtIndex(charactersIgnoringModifiers, 0);
  if (c >= kFunctionKeyFirst && c <= kFunctionKeyLast) {
    result.key = c - kFunctionKeyFirst + kKeyF1;
    result.flags |= kKeyFlagKnown;
    return result;
  }
  if (c >= 'a' && c <= 'z') c = static_cast<UniChar>(c - 'a' + 'A');
  // Shift-Tab types the back-tab character; with Command it stays Tab.
  if (c == kBackTab && (result.flags & kKeyFlagCommand)) c = kKeyTab;
  if (IsKeyCharacter(c)) {
    result.flags |= kKeyFlagKnown;
  } else {
    result.flags &= ~(kKeyFlagKnown | kKeyFlagShift);
  }
  result.key = c;
  return result;
}

IKeyPress KeyPressForEvent(const NS::Event& event) {
  CFStringRef typed = event.charactersIgnoringModifiers();
  const TranslatedKey translated = TranslateKey(event.keyCode(), typed, event.modifierFlags());
  IKeyPress press;
  press.mVK = (translated.flags & kKeyFlagKnown) ? translated.key : 0;
  press.mS = (translated.flags & kKeyFlagShift) != 0;
  press.mC = (translated.flags & kKeyFlagCommand) != 0;
  press.mA = (translated.flags & kKeyFlagOption) != 0;
  // One character is at most four bytes of UTF-8, which the press holds.
  const std::u16string units = OneCharacterOf(typed);
  if (!units.empty()) {
    const std::string text = Utf16ToUtf8(units);
    std::memcpy(press.mUtf8, text.data(), std::min(text.size(), sizeof(press.mUtf8) - 1));
  }
  return press;
}

}  // namespace plugkit::graphics
