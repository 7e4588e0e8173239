#include "metal_fixture.h"

#include <standin/metal/shader_library.h>

#include <optional>
#include <string>

#include "cf_strings.h"

namespace {

using standin::metal::FragmentPlan;
using standin::metal::FragmentShaderEntry;
using standin::metal::ShaderLibraryRegistration;
using standin::metal::VertexShaderEntry;

void NoVertex(const standin::metal::VertexInput&, standin::metal::VertexOutput&) {}
bool NoPrepare(FragmentPlan&) { return true; }

std::vector<standin::metal::ShaderFunctionEntry> Functions() {
  return {VertexShaderEntry("v", NoVertex, 1, 2), FragmentShaderEntry("f", NoPrepare, nullptr, 2),
          FragmentShaderEntry("f4", NoPrepare, nullptr, 4)};
}

class MetalLibraryTest : public MetalTest {
protected:
  // The library the blob names, or null with the error's description in `error`.
  NS::Ref<MTL::Library> Load(const std::string& blob, std::string* error = nullptr) {
    dispatch_data_t data = dispatch_data_create(blob.data(), blob.size(), nullptr, DISPATCH_DATA_DESTRUCTOR_DEFAULT);
    NS::Error* failure = nullptr;
    auto library = NS::Ref<MTL::Library>::Adopt(device()->newLibraryWithDataError(data, &failure));
    dispatch_release(data);
    if (failure != nullptr) {
      if (error != nullptr) *error = Text(failure->localizedDescription());
      failure->release();
    }
    return library;
  }

  NS::Ref<MTL::Function> FunctionOf(MTL::Library* library, const char* name) {
    CFStringRef text = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
    auto function = NS::Ref<MTL::Function>::Adopt(library->newFunctionWithName(text));
    CFRelease(text);
    return function;
  }
};

TEST_F(MetalLibraryTest, BlobsNameRegisteredLibraries) {
  std::optional<ShaderLibraryRegistration> registration;
  registration.emplace("blob.library", Functions());
  ASSERT_TRUE(registration->registered());

  struct Case {
    std::string blob;
    bool found;
    const char* error;
  };
  const Case cases[] = {
      {"MTLBblob.library", true, ""},
      {std::string("MTLBblob.library\0", 17), true, ""},
      {"MTLBother.library", false, "No shader library named \"other.library\" is registered."},
      {"MTLB", false, "The data is not a compiled library"},
      {"XTLBblob.library", false, "The data is not a compiled library"},
      {"MT", false, "The data is not a compiled library"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(static_cast<bool>(Load(c.blob, &error)), c.found) << c.blob;
    EXPECT_EQ(error.substr(0, std::string(c.error).size()), c.error) << c.blob;
  }

  standin::testing::SetMetalLibraryRefused("blob.library", true);
  std::string error;
  EXPECT_FALSE(Load("MTLBblob.library", &error));
  EXPECT_EQ(error, "The device refused to load the library \"blob.library\".");
  standin::testing::SetMetalLibraryRefused("blob.library", false);

  auto library = Load("MTLBblob.library");
  registration.reset();
  EXPECT_FALSE(Load("MTLBblob.library", &error)) << "unregistered";
  EXPECT_EQ(error, "No shader library named \"blob.library\" is registered.");
  auto vertex = FunctionOf(library.get(), "v");
  ASSERT_TRUE(vertex) << "a library already loaded keeps its functions";
  EXPECT_EQ(vertex->functionType(), MTLFunctionTypeVertex);
  EXPECT_EQ(Text(vertex->name()), "v");
  EXPECT_EQ(FunctionOf(library.get(), "f")->functionType(), MTLFunctionTypeFragment);
  EXPECT_FALSE(FunctionOf(library.get(), "missing"));
}

TEST_F(MetalLibraryTest, MalformedRegistrationsRegisterNothing) {
  const ShaderLibraryRegistration first("taken.library", Functions());
  struct Case {
    const char* name;
    std::vector<standin::metal::ShaderFunctionEntry> functions;
  };
  const Case cases[] = {
      {"taken.library", Functions()},
      {"", Functions()},
      {"unnamed.library", {VertexShaderEntry("", NoVertex, 1, 2)}},
      {"twice.library", {VertexShaderEntry("v", NoVertex, 1, 2), FragmentShaderEntry("v", NoPrepare, nullptr, 2)}},
      {"codeless.library", {VertexShaderEntry("v", nullptr, 1, 2)}},
      {"varyings.library", {VertexShaderEntry("v", NoVertex, 1, 9)}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        ValidationErrorsDuring([&] { EXPECT_FALSE(ShaderLibraryRegistration(c.name, c.functions).registered()); }), 1)
        << c.name;
  }
  EXPECT_TRUE(Load("MTLBtaken.library")) << "the first registration stands";
}

TEST_F(MetalLibraryTest, PipelinesRefuseWhatCannotDraw) {
  const ShaderLibraryRegistration registration("pipeline.library", Functions());
  auto library = Load("MTLBpipeline.library");
  auto vertex = FunctionOf(library.get(), "v");
  auto fragment = FunctionOf(library.get(), "f");
  auto wideFragment = FunctionOf(library.get(), "f4");

  using Change = std::function<void(MTL::RenderPipelineDescriptor*, MTL::VertexDescriptor*)>;
  struct Case {
    const char* what;
    Change change;
    const char* error;  // empty: the pipeline is made
  };
  const Case cases[] = {
      {"valid", [](auto*, auto*) {}, ""},
      {"stencil only", [](auto* d, auto*) { d->setFragmentFunction(nullptr); }, ""},
      {"no vertex function", [](auto* d, auto*) { d->setVertexFunction(nullptr); },
       "the pipeline has no vertex function"},
      {"fragment as vertex", [&](auto* d, auto*) { d->setVertexFunction(fragment.get()); },
       "the vertex function is not a vertex function"},
      {"vertex as fragment", [&](auto* d, auto*) { d->setFragmentFunction(vertex.get()); },
       "the fragment function is not a fragment function"},
      {"too many varyings", [&](auto* d, auto*) { d->setFragmentFunction(wideFragment.get()); },
       "the fragment function reads 4 varyings but the vertex function writes 2"},
      {"no vertex descriptor", [](auto* d, auto*) { d->setVertexDescriptor(nullptr); },
       "the vertex function reads attributes but there is no vertex descriptor"},
      {"undescribed attribute",
       [](auto*, auto* v) { v->attributes()->objectAtIndexedSubscript(0)->setFormat(MTLVertexFormatInvalid); },
       "vertex attribute 0 is not described as float2"},
      {"attribute beyond stride", [](auto*, auto* v) { v->attributes()->objectAtIndexedSubscript(0)->setOffset(12); },
       "vertex attribute 0 does not fit in its layout's stride"},
      {"per instance",
       [](auto*, auto* v) {
         v->layouts()->objectAtIndexedSubscript(0)->setStepFunction(MTLVertexStepFunctionPerInstance);
       },
       "vertex attribute 0 does not step per vertex"},
      {"stencil as colour",
       [](auto* d, auto*) {
         d->colorAttachments()->objectAtIndexedSubscript(0)->setPixelFormat(MTLPixelFormatStencil8);
       },
       "colour attachment 0 cannot be Stencil8"},
      {"colour as stencil", [](auto* d, auto*) { d->setStencilAttachmentPixelFormat(MTLPixelFormatRGBA8Unorm); },
       "the stencil attachment cannot be RGBA8Unorm"},
      {"blend operation",
       [](auto* d, auto*) { d->colorAttachments()->objectAtIndexedSubscript(0)->setRgbBlendOperation(1); },
       "only the blend operation add is supported"},
      {"blend factor",
       [](auto* d, auto*) { d->colorAttachments()->objectAtIndexedSubscript(0)->setDestinationAlphaBlendFactor(11); },
       "a blend factor is not supported"},
  };
  for (const Case& c : cases) {
    auto layout = NS::Ref<MTL::VertexDescriptor>::Adopt(MTL::VertexDescriptor::vertexDescriptor());
    layout->attributes()->objectAtIndexedSubscript(0)->setFormat(MTLVertexFormatFloat2);
    layout->layouts()->objectAtIndexedSubscript(0)->setStride(16);
    auto descriptor = NS::Ref<MTL::RenderPipelineDescriptor>::Adopt(MTL::RenderPipelineDescriptor::alloc()->init());
    descriptor->setVertexFunction(vertex.get());
    descriptor->setFragmentFunction(fragment.get());
    descriptor->setVertexDescriptor(layout.get());
    descriptor->colorAttachments()->objectAtIndexedSubscript(0)->setPixelFormat(MTLPixelFormatBGRA8Unorm);
    descriptor->setStencilAttachmentPixelFormat(MTLPixelFormatStencil8);
    c.change(descriptor.get(), layout.get());
    NS::Error* error = nullptr;
    auto state = NS::Ref<MTL::RenderPipelineState>::Adopt(
        device()->newRenderPipelineStateWithDescriptorError(descriptor.get(), &error));
    const std::string expected =
        std::string(c.error).empty() ? "" : "Render pipeline state not made: " + std::string(c.error) + ".";
    EXPECT_EQ(error != nullptr ? Text(error->localizedDescription()) : "", expected) << c.what;
    EXPECT_EQ(static_cast<bool>(state), expected.empty()) << c.what;
    if (error != nullptr) error->release();
  }
}

}  // namespace
