#pragma once

// Formatters turn a control's object value into text and back, and judge the
// text a user's edit would leave. Object values are the bridged CF types.
// Strings handed back through the out parameters are autoreleased: the caller
// does not release them. Main thread only.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT Formatter : public Object {
public:
  // The text that shows the object (not owned by the caller), or null. The
  // base class formats nothing.
  virtual CFStringRef stringForObjectValue(CFTypeRef object);
  // Reads the string into an object stored in `object` (autoreleased); when
  // it cannot, answers false and may store why in `error`. Either pointer may
  // be null. The base class reads nothing.
  virtual bool getObjectValueForStringErrorDescription(CFTypeRef* object, CFStringRef string, CFStringRef* error);
  // Whether the text the edit would leave is acceptable. Answering false may
  // store a replacement in `newString`, which the field editor then shows
  // instead; without one the text stays as it was. The base class accepts
  // every text.
  virtual bool isPartialStringValidNewEditingStringErrorDescription(CFStringRef partialString, CFStringRef* newString,
                                                                     CFStringRef* error);

protected:
  ~Formatter() override = default;
};

}  // namespace NS
