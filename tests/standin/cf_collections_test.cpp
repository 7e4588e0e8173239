#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "leak_checked_test.h"

namespace {

class CFCollectionsTest : public LeakCheckedTest {};

// A value type with callbacks that record every call, allocated from the
// allocator the array hands to retain and release (as preset records are).
struct Record {
  int number;
  CFIndex references;
};

struct CallCounts {
  int retains = 0;
  int releases = 0;
  int equals = 0;
  int descriptions = 0;
  std::vector<CFAllocatorRef> allocatorsSeen;
};
CallCounts gCalls;

const void* RetainRecord(CFAllocatorRef allocator, const void* value) {
  ++gCalls.retains;
  gCalls.allocatorsSeen.push_back(allocator);
  ++static_cast<Record*>(const_cast<void*>(value))->references;
  return value;
}

void ReleaseRecord(CFAllocatorRef allocator, const void* value) {
  ++gCalls.releases;
  gCalls.allocatorsSeen.push_back(allocator);
  auto* record = static_cast<Record*>(const_cast<void*>(value));
  if (--record->references == 0) CFAllocatorDeallocate(allocator, record);
}

Boolean EqualRecords(const void* a, const void* b) {
  ++gCalls.equals;
  return static_cast<const Record*>(a)->number == static_cast<const Record*>(b)->number;
}

CFStringRef DescribeRecord(const void* value) {
  ++gCalls.descriptions;
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("record %d"),
                                  static_cast<const Record*>(value)->number);
}

const CFArrayCallBacks kRecordCallBacks = {0, RetainRecord, ReleaseRecord, DescribeRecord,
                                           EqualRecords};

// A record owned by the caller once (references 1).
Record* NewRecord(int number) {
  void* block = CFAllocatorAllocate(kCFAllocatorDefault, sizeof(Record), 0);
  return new (block) Record{number, 1};
}

void Drop(Record* record) { ReleaseRecord(CFAllocatorGetDefault(), record); }

TEST_F(CFCollectionsTest, ArrayCallsEachCustomCallbackTheRightNumberOfTimes) {
  gCalls = {};
  Record* first = NewRecord(1);
  Record* second = NewRecord(2);
  Record* third = NewRecord(3);
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, 0, &kRecordCallBacks);
  CFArrayAppendValue(array, first);
  CFArrayAppendValue(array, second);
  CFArrayInsertValueAtIndex(array, 0, third);
  EXPECT_EQ(gCalls.retains, 3);
  EXPECT_EQ(gCalls.releases, 0);
  Drop(first);
  Drop(second);
  Drop(third);
  gCalls.releases = 0;

  EXPECT_EQ(CFArrayGetCount(array), 3);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), third);

  Record probe{2, 1};
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, 3), &probe), 2);
  EXPECT_GE(gCalls.equals, 1);

  CFArrayRemoveValueAtIndex(array, 0);
  EXPECT_EQ(gCalls.releases, 1);

  Owned<CFStringRef> description(CFCopyDescription(array));
  EXPECT_EQ(gCalls.descriptions, 2);
  EXPECT_NE(std::string(CFStringGetCStringPtr(description, kCFStringEncodingUTF8)).find("record 2"),
            std::string::npos);

  CFRelease(array);
  EXPECT_EQ(gCalls.retains, 3);
  EXPECT_EQ(gCalls.releases, 3);
  for (CFAllocatorRef allocator : gCalls.allocatorsSeen) EXPECT_EQ(allocator, CFAllocatorGetDefault());
}

TEST_F(CFCollectionsTest, ImmutableArrayRetainsOnCreationAndReleasesOnDestruction) {
  gCalls = {};
  Record* record = NewRecord(7);
  const void* values[] = {record, record};
  CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kRecordCallBacks);
  Drop(record);
  EXPECT_EQ(gCalls.retains, 2);
  CFArrayAppendValue(const_cast<CFMutableArrayRef>(array), record);  // ignored: not mutable
  EXPECT_EQ(CFArrayGetCount(array), 2);
  CFRelease(array);
  EXPECT_EQ(gCalls.releases, 3);
}

TEST_F(CFCollectionsTest, ArrayWithCFTypeCallbacksOwnsItsObjects) {
  CFStringRef name = CFStringCreateWithCString(nullptr, "midiOut", kCFStringEncodingUTF8);
  const void* values[] = {name};
  CFArrayRef array = CFArrayCreate(nullptr, values, 1, &kCFTypeArrayCallBacks);
  EXPECT_EQ(CFGetRetainCount(name), 2);
  CFRelease(name);
  EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(array, 0), CFSTR("midiOut")));
  EXPECT_TRUE(CFArrayContainsValue(array, CFRangeMake(0, 1), CFSTR("midiOut")));
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 1), nullptr);
  EXPECT_EQ(CFArrayGetTypeID(), CFGetTypeID(array));
  CFRelease(array);
}

TEST_F(CFCollectionsTest, MutableArraySetAndRemoveAllReleaseReplacedValues) {
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFStringRef first = CFStringCreateWithCString(nullptr, "first", kCFStringEncodingUTF8);
  CFStringRef second = CFStringCreateWithCString(nullptr, "second", kCFStringEncodingUTF8);
  CFArrayAppendValue(array, first);
  CFArraySetValueAtIndex(array, 0, second);
  EXPECT_EQ(CFGetRetainCount(first), 1);
  EXPECT_EQ(CFGetRetainCount(second), 2);
  CFArraySetValueAtIndex(array, 5, first);  // out of range: nothing changes
  CFArrayRemoveAllValues(array);
  EXPECT_EQ(CFArrayGetCount(array), 0);
  EXPECT_EQ(CFGetRetainCount(second), 1);
  CFRelease(first);
  CFRelease(second);
  CFRelease(array);
}

CFMutableDictionaryRef NewTypeDictionary() {
  return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                   &kCFTypeDictionaryValueCallBacks);
}

TEST_F(CFCollectionsTest, DictionaryLooksUpKeysByContent) {
  CFMutableDictionaryRef dictionary = NewTypeDictionary();
  SInt32 version = 0x10004;
  Owned<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &version));
  CFDictionarySetValue(dictionary, CFSTR("version"), number);

  Owned<CFStringRef> madeKey(CFStringCreateWithCString(nullptr, "version", kCFStringEncodingUTF8));
  EXPECT_EQ(CFDictionaryGetValue(dictionary, madeKey), number.get());
  EXPECT_TRUE(CFDictionaryContainsKey(dictionary, madeKey));
  const void* found = nullptr;
  EXPECT_FALSE(CFDictionaryGetValueIfPresent(dictionary, CFSTR("Version"), &found));
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, CFSTR("missing")), nullptr);

  // Numbers as keys match by value too.
  SInt64 wide = 3;
  Float64 real = 3.0;
  Owned<CFNumberRef> wideKey(CFNumberCreate(nullptr, kCFNumberSInt64Type, &wide));
  Owned<CFNumberRef> realKey(CFNumberCreate(nullptr, kCFNumberFloat64Type, &real));
  CFDictionarySetValue(dictionary, wideKey, CFSTR("three"));
  EXPECT_EQ(CFDictionaryGetValue(dictionary, realKey), CFSTR("three"));
  CFRelease(dictionary);
}

TEST_F(CFCollectionsTest, DictionarySetReplacesAddKeepsAndRemoveReleases) {
  CFMutableDictionaryRef dictionary = NewTypeDictionary();
  CFStringRef key = CFStringCreateWithCString(nullptr, "name", kCFStringEncodingUTF8);
  CFStringRef clean = CFStringCreateWithCString(nullptr, "Clean", kCFStringEncodingUTF8);
  CFStringRef lead = CFStringCreateWithCString(nullptr, "Lead", kCFStringEncodingUTF8);

  CFDictionarySetValue(dictionary, key, clean);
  EXPECT_EQ(CFGetRetainCount(key), 2);
  EXPECT_EQ(CFGetRetainCount(clean), 2);
  CFDictionaryAddValue(dictionary, CFSTR("name"), lead);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, key), clean);
  CFDictionarySetValue(dictionary, CFSTR("name"), lead);
  EXPECT_EQ(CFGetRetainCount(clean), 1);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, key), lead);
  EXPECT_EQ(CFDictionaryGetCount(dictionary), 1);

  CFDictionaryRemoveValue(dictionary, CFSTR("name"));
  EXPECT_EQ(CFDictionaryGetCount(dictionary), 0);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFGetRetainCount(lead), 1);
  for (CFTypeRef object : {CFTypeRef(key), CFTypeRef(clean), CFTypeRef(lead), CFTypeRef(dictionary)}) {
    CFRelease(object);
  }
}

TEST_F(CFCollectionsTest, ImmutableDictionaryKeepsItsEntries) {
  const void* keys[] = {CFSTR("type"), CFSTR("subtype"), CFSTR("type")};
  const void* values[] = {CFSTR("aufx"), CFSTR("Orvn"), CFSTR("aumu")};
  CFDictionaryRef dictionary = CFDictionaryCreate(nullptr, keys, values, 3, &kCFTypeDictionaryKeyCallBacks,
                                                  &kCFTypeDictionaryValueCallBacks);
  EXPECT_EQ(CFDictionaryGetCount(dictionary), 2);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, CFSTR("type")), CFSTR("aumu"));
  CFDictionarySetValue(const_cast<CFMutableDictionaryRef>(dictionary), CFSTR("x"), CFSTR("y"));
  EXPECT_EQ(CFDictionaryGetCount(dictionary), 2);

  const void* gotKeys[2] = {};
  const void* gotValues[2] = {};
  CFDictionaryGetKeysAndValues(dictionary, gotKeys, gotValues);
  EXPECT_EQ(gotKeys[0], CFSTR("type"));
  EXPECT_EQ(gotValues[1], CFSTR("Orvn"));
  EXPECT_EQ(CFGetTypeID(dictionary), CFDictionaryGetTypeID());
  CFRelease(dictionary);
}

TEST_F(CFCollectionsTest, DictionaryWithoutCallbacksComparesPointers) {
  static int a = 1;
  static int b = 1;
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  CFDictionarySetValue(dictionary, &a, &b);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, &a), &b);
  EXPECT_EQ(CFDictionaryGetValue(dictionary, &b), nullptr);
  CFRelease(dictionary);
}

TEST_F(CFCollectionsTest, LiveCountReturnsToItsStartAfterReleasingEverything) {
  const long start = standin::testing::LiveObjectCount();
  CFMutableDictionaryRef state = NewTypeDictionary();
  const UInt8 chunk[] = {'O', 'S', 'T', 'A'};
  CFDataRef data = CFDataCreate(nullptr, chunk, sizeof chunk);
  CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(presets, data);
  CFDictionarySetValue(state, CFSTR("data"), data);
  CFDictionarySetValue(state, CFSTR("presets"), presets);
  EXPECT_EQ(standin::testing::LiveObjectCount(), start + 3);
  CFRelease(data);
  CFRelease(presets);
  EXPECT_EQ(standin::testing::LiveObjectCount(), start + 3);
  CFRelease(state);
  EXPECT_EQ(standin::testing::LiveObjectCount(), start);
}

TEST_F(CFCollectionsTest, SetKeepsEachValueOnceAndFindsValuesByContent) {
  Owned<CFStringRef> family(CFStringCreateWithCString(nullptr, "family", kCFStringEncodingUTF8));
  const void* values[] = {family.get(), CFSTR("style"), CFSTR("family")};
  const CFIndex retainsBefore = CFGetRetainCount(family);
  Owned<CFSetRef> set(CFSetCreate(nullptr, values, 3, &kCFTypeSetCallBacks));
  EXPECT_EQ(CFSetGetCount(set), 2);
  EXPECT_EQ(CFGetRetainCount(family), retainsBefore + 1);
  EXPECT_TRUE(CFSetContainsValue(set, CFSTR("family")));
  EXPECT_TRUE(CFSetContainsValue(set, CFSTR("style")));
  EXPECT_FALSE(CFSetContainsValue(set, CFSTR("Style")));
  EXPECT_EQ(CFGetTypeID(set), CFSetGetTypeID());
}

}  // namespace
