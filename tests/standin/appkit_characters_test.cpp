// Character sets over UTF-16 units and UTF-16 access to strings, as a text
// field's formatter uses them.

#include <Foundation/NSCharacterSet.h>

#include <climits>

#include "appkit_fixture.h"
#include "cf_strings.h"

namespace {

std::u16string Units(CFStringRef string) {
  std::u16string units(static_cast<std::size_t>(CFStringGetLength(string)), u'\0');
  CFStringGetCharacters(string, CFRangeMake(0, CFStringGetLength(string)), reinterpret_cast<UniChar*>(units.data()));
  return units;
}

TEST_F(AppKitTest, CharacterSetsHoldLettersAndDigitsOfEveryScriptOrTheCharactersGiven) {
  const NS::AutoreleasePool pool;
  NS::CharacterSet* alphanumeric = NS::CharacterSet::alphanumericCharacterSet();
  NS::CharacterSet* integer = NS::CharacterSet::characterSetWithCharactersInString(CFSTR("0123456789-+"));
  struct Case {
    UniChar unit;
    bool alphanumeric, integer;
  };
  const Case cases[] = {
      {u'a', true, false},      {u'Z', true, false},  {u'\u00e9', true, false},  // é
      {u'\u0660', true, false},                                                  // Arabic-Indic zero
      {u'5', true, true},       {u'-', false, true},  {u'+', false, true},
      {u'.', false, false},     {u' ', false, false}, {0xD83D, false, false},  // half of a character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(alphanumeric->characterIsMember(c.unit), c.alphanumeric) << std::hex << c.unit;
    EXPECT_EQ(integer->characterIsMember(c.unit), c.integer) << std::hex << c.unit;
  }
}

TEST_F(AppKitTest, StringsMadeFromUTF16UnitsRoundTripAndALoneSurrogateBecomesAReplacement) {
  struct Case {
    std::u16string units;
    std::string utf8;
    std::u16string readBack;
  };
  const Case cases[] = {
      {u"A\U0001F600\u00e9", "A\xF0\x9F\x98\x80\xC3\xA9", u"A\U0001F600\u00e9"},
      {{u'A', 0xD800, u'B'}, "A\xEF\xBF\xBD\x42", u"A\uFFFDB"},
      {{0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD", u"\uFFFD\uFFFD"},  // reversed halves
      {u"", "", u""},
  };
  for (const Case& c : cases) {
    Owned<CFStringRef> string(CFStringCreateWithCharacters(nullptr, reinterpret_cast<const UniChar*>(c.units.data()),
                                                           CFIndex(c.units.size())));
    EXPECT_EQ(Text(string), c.utf8);
    EXPECT_EQ(Units(string), c.readBack);
    for (std::size_t i = 0; i < c.readBack.size(); ++i) {
      EXPECT_EQ(CFStringGetCharacterAtIndex(string, CFIndex(i)), c.readBack[i]);
    }
    EXPECT_EQ(CFStringGetCharacterAtIndex(string, CFIndex(c.readBack.size())), 0) << "past the end";
  }
  Owned<CFStringRef> pair(CFStringCreateWithCString(nullptr, "x\xF0\x9F\x98\x80y", kCFStringEncodingUTF8));
  UniChar middle[2] = {};
  CFStringGetCharacters(pair, CFRangeMake(1, 2), middle);
  EXPECT_EQ(std::u16string(middle, middle + 2), u"\U0001F600");
}

TEST_F(AppKitTest, IntValuesReadBlanksASignAndDigitsClampedToTheIntRange) {
  struct Case {
    const char* text;
    SInt32 value;
  };
  const Case cases[] = {
      {" -12x", -12},
      {"+7", 7},
      {"\t42", 42},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
      {"-2147483648", INT_MIN},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"1.5", 1},
  };
  for (const Case& c : cases) {
    Owned<CFStringRef> string(CFStringCreateWithCString(nullptr, c.text, kCFStringEncodingUTF8));
    EXPECT_EQ(CFStringGetIntValue(string), c.value) << '"' << c.text << '"';
  }
}

}  // namespace
