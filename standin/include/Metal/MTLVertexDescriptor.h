#pragma once

// How a render pipeline fetches vertex attributes from the bound vertex buffers.

#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLTypes.h>

#include <array>

typedef NS::UInteger MTLVertexFormat;
enum : MTLVertexFormat {
  MTLVertexFormatInvalid = 0,
  MTLVertexFormatFloat2 = 1,
};

typedef NS::UInteger MTLVertexStepFunction;
enum : MTLVertexStepFunction {
  MTLVertexStepFunctionConstant = 0,
  MTLVertexStepFunctionPerVertex = 1,
  MTLVertexStepFunctionPerInstance = 2,
};

namespace MTL {

inline constexpr NS::UInteger kVertexAttributeCount = 8;
inline constexpr NS::UInteger kVertexBufferLayoutCount = 8;

// What the descriptors carry (the stand-in's own grouping). An attribute of
// format invalid is not fetched.
struct VertexAttributeSettings {
  MTLVertexFormat format = MTLVertexFormatInvalid;
  NS::UInteger offset = 0;
  NS::UInteger bufferIndex = 0;

  bool operator==(const VertexAttributeSettings&) const = default;
};

struct VertexBufferLayoutSettings {
  NS::UInteger stride = 0;
  MTLVertexStepFunction stepFunction = MTLVertexStepFunctionPerVertex;
  NS::UInteger stepRate = 1;

  bool operator==(const VertexBufferLayoutSettings&) const = default;
};

struct VertexDescriptorSettings {
  std::array<VertexAttributeSettings, kVertexAttributeCount> attributes;
  std::array<VertexBufferLayoutSettings, kVertexBufferLayoutCount> layouts;

  bool operator==(const VertexDescriptorSettings&) const = default;
};

class NS_CLASS_EXPORT VertexAttributeDescriptor : public NS::Object {
public:
  MTLVertexFormat format() const { return settings_.format; }
  void setFormat(MTLVertexFormat format) { settings_.format = format; }
  NS::UInteger offset() const { return settings_.offset; }
  void setOffset(NS::UInteger offset) { settings_.offset = offset; }
  NS::UInteger bufferIndex() const { return settings_.bufferIndex; }
  void setBufferIndex(NS::UInteger index) { settings_.bufferIndex = index; }

private:
  friend class VertexDescriptor;
  VertexAttributeDescriptor() = default;

  VertexAttributeSettings settings_;
};

class NS_CLASS_EXPORT VertexBufferLayoutDescriptor : public NS::Object {
public:
  NS::UInteger stride() const { return settings_.stride; }
  void setStride(NS::UInteger stride) { settings_.stride = stride; }
  MTLVertexStepFunction stepFunction() const { return settings_.stepFunction; }
  void setStepFunction(MTLVertexStepFunction function) { settings_.stepFunction = function; }
  NS::UInteger stepRate() const { return settings_.stepRate; }
  void setStepRate(NS::UInteger rate) { settings_.stepRate = rate; }

private:
  friend class VertexDescriptor;
  VertexBufferLayoutDescriptor() = default;

  VertexBufferLayoutSettings settings_;
};

class NS_CLASS_EXPORT VertexAttributeDescriptorArray : public NS::Object {
public:
  // Not owned by the caller; null (and a validation error) beyond kVertexAttributeCount.
  VertexAttributeDescriptor* objectAtIndexedSubscript(NS::UInteger index) const;

private:
  friend class VertexDescriptor;
  VertexAttributeDescriptorArray() = default;

  std::array<NS::Ref<VertexAttributeDescriptor>, kVertexAttributeCount> attributes_;
};

class NS_CLASS_EXPORT VertexBufferLayoutDescriptorArray : public NS::Object {
public:
  // Not owned by the caller; null (and a validation error) beyond kVertexBufferLayoutCount.
  VertexBufferLayoutDescriptor* objectAtIndexedSubscript(NS::UInteger index) const;

private:
  friend class VertexDescriptor;
  VertexBufferLayoutDescriptorArray() = default;

  std::array<NS::Ref<VertexBufferLayoutDescriptor>, kVertexBufferLayoutCount> layouts_;
};

class NS_CLASS_EXPORT VertexDescriptor : public NS::Object {
public:
  // A new descriptor owned by the caller: no attributes, every layout per
  // vertex with stride 0.
  static VertexDescriptor* vertexDescriptor();

  // Not owned by the caller.
  VertexAttributeDescriptorArray* attributes() const { return attributes_.get(); }
  VertexBufferLayoutDescriptorArray* layouts() const { return layouts_.get(); }

  VertexDescriptorSettings settings() const;

private:
  VertexDescriptor();

  const NS::Ref<VertexAttributeDescriptorArray> attributes_;
  const NS::Ref<VertexBufferLayoutDescriptorArray> layouts_;
};

}  // namespace MTL
