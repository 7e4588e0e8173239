#pragma once

// AppKit suites that lay text out: the font catalogue of DejaVu Sans Mono
// alone, the stand-in reset around each test, and NS objects checked for
// leaks besides CF objects.

#include <AppKit/AppKit.h>
#include <gtest/gtest.h>
#include <standin/testing/appkit.h>
#include <standin/testing/ns_objects.h>

#include "platform/font_catalogue_fixture.h"

class AppKitFontTest : public plugkit::testing::FontCatalogueTest {
protected:
  void SetUp() override {
    FontCatalogueTest::SetUp();
    standin::testing::ResetAppKit();
    nsObjectsAtStart_ = standin::testing::LiveNSObjectCount();
  }
  void TearDown() override {
    standin::testing::ResetAppKit();
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), nsObjectsAtStart_) << "NS objects leaked";
    FontCatalogueTest::TearDown();
  }

  static CFStringRef NewString(const char* text) {
    return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  }
  // A descriptor naming only a family, which the catalogue resolves.
  static CTFontDescriptorRef NewFamilyDescriptor(const char* family) {
    CFStringRef name = NewString(family);
    const void* keys[] = {kCTFontFamilyNameAttribute};
    const void* values[] = {name};
    CFDictionaryRef attributes =
        CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CTFontDescriptorRef descriptor = CTFontDescriptorCreateWithAttributes(attributes);
    CFRelease(attributes);
    CFRelease(name);
    return descriptor;
  }
  // Autoreleased.
  static NS::Font* MonoFont(NS::CGFloat size) {
    CTFontDescriptorRef descriptor = NewFamilyDescriptor("DejaVu Sans Mono");
    NS::Font* font = NS::Font::fontWithDescriptorSize(descriptor, size);
    CFRelease(descriptor);
    return font;
  }

private:
  long nsObjectsAtStart_ = 0;
};
