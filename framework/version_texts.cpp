#include <array>

#include "framework/plugin_base.h"

namespace plugkit {

namespace {

constexpr int kVersionFieldMask = 0xFF;
constexpr int kMajorShift = 16;
constexpr int kMinorShift = 8;
constexpr int kDecimalMajor = 10000;
constexpr int kDecimalMinor = 100;
constexpr int kMaxVersionLength = 32;
constexpr int kMaxBuildInfoLength = 256;

constexpr std::array<const char*, 9> kAPINames = {"VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB", "CLAP"};

struct VersionParts {
  int major, minor, patch;
};

// The major field keeps every bit above the minor byte, as the packed value does.
VersionParts Unpack(int packedVersion) {
  const auto packed = static_cast<unsigned>(packedVersion);
  return {static_cast<int>(packed >> kMajorShift), static_cast<int>((packed >> kMinorShift) & kVersionFieldMask),
          static_cast<int>(packed & kVersionFieldMask)};
}

}  // namespace

int IPluginBase::DecimalVersion(int packedVersion) {
  const VersionParts v = Unpack(packedVersion);
  return v.major * kDecimalMajor + v.minor * kDecimalMinor + v.patch;
}

void IPluginBase::FormatVersion(int packedVersion, StrBuf& out) {
  const VersionParts v = Unpack(packedVersion);
  out.SetFormatted(kMaxVersionLength, "v%d.%d.%d", v.major, v.minor, v.patch);
}

const char* IPluginBase::APIName(int api) {
  if (api < 0 || api >= static_cast<int>(kAPINames.size())) return "";
  return kAPINames[static_cast<size_t>(api)];
}

const char* IPluginBase::GetArchString() {
#if defined(__aarch64__)
  return "arm64";
#elif defined(__x86_64__)
  return "x86_64";
#else
  return "unknown";
#endif
}

void IPluginBase::GetBuildInfoString(StrBuf& out, const char* date, const char* time) const {
  StrBuf version;
  GetPluginVersionString(version);
  out.SetFormatted(kMaxBuildInfoLength, "%s %s (%s), built on %s at %.5s ", version.Get(), GetAPIString(),
                   GetArchString(), date ? date : "", time ? time : "");
}

}  // namespace plugkit
