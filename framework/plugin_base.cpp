#include "framework/plugin_base.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace plugkit {

namespace {

// Turns rand() (at most 2^31 - 1) into a number in [0, 1).
constexpr double kRandToUnit = 4.656613e-10;
constexpr int kParamValueBytes = static_cast<int>(sizeof(double));

}  // namespace

IPluginBase::IPluginBase(int nParams, int nPresets) : IGEditorDelegate(nParams) {
  for (int i = 0; i < nPresets; ++i) {
    auto* slot = new IPresetSlot();
    if (!mPresets.Add(slot)) delete slot;
  }
}

IPluginBase::~IPluginBase() { mPresets.Empty(true); }

int IPluginBase::AddParamGroup(const char* name) {
  mParamGroups.Add(name);
  return NParamGroups();
}

// Parameter-values chunk -----------------------------------------------------------

bool IPluginBase::WriteParamValues(IStateChunk& chunk) const {
  for (int i = 0; i < NParams(); ++i)
    if (!chunk.Put(GetParam(i)->Value())) return false;
  return true;
}

int IPluginBase::ReadParamValues(const IStateChunk& chunk, int startPos) {
  int pos = startPos;
  if (startPos >= 0 && NParams() > 0) {
    for (int i = 0; i < NParams(); ++i) {
      const long long valuePos = startPos + static_cast<long long>(kParamValueBytes) * i;
      double value = 0.0;
      if (valuePos + kParamValueBytes > chunk.Size()) {
        pos = -1;
        break;
      }
      chunk.Get(&value, static_cast<int>(valuePos));
      pos = static_cast<int>(valuePos) + kParamValueBytes;
      if (!std::isfinite(value)) continue;  // a damaged value must not reach the parameter
      IParam* param = GetParam(i);
      param->Set(param->Constrain(value));
    }
  }
  OnAllParamsReset(kPresetRecall);
  return pos;
}

// Ranges and groups -------------------------------------------------------------

void IPluginBase::ForParamInRange(int startIdx, int endIdx, const ParamFunc& func) {
  const int first = std::max(startIdx, 0);
  const int last = std::min(endIdx, NParams() - 1);
  for (int i = first; i <= last; ++i) func(i, *GetParam(i));
}

void IPluginBase::ForParamInGroup(const char* paramGroup, const ParamFunc& func) {
  if (!paramGroup) return;
  for (int i = 0; i < NParams(); ++i)
    if (std::strcmp(GetParam(i)->Group(), paramGroup) == 0) func(i, *GetParam(i));
}

void IPluginBase::DefaultParamValues() { DefaultParamValues(0, NParams() - 1); }

void IPluginBase::DefaultParamValues(int startIdx, int endIdx) {
  ForParamInRange(startIdx, endIdx, [](int, IParam& param) { param.Set(param.GetDefault()); });
}

void IPluginBase::DefaultParamValues(const char* paramGroup) {
  ForParamInGroup(paramGroup, [](int, IParam& param) { param.Set(param.GetDefault()); });
}

void IPluginBase::RandomiseParam(IParam& param) {
  double value = param.FromNormalized(std::rand() * kRandToUnit);
  // Snapping after the clamp can step past a bound that is not a multiple of the step.
  if (param.GetStepped()) value = param.Snap(param.Clamp(param.Snap(value)));
  param.Set(param.Clamp(value));
}

void IPluginBase::RandomiseParamValues() { RandomiseParamValues(0, NParams() - 1); }

void IPluginBase::RandomiseParamValues(int startIdx, int endIdx) {
  ForParamInRange(startIdx, endIdx, [this](int, IParam& param) { RandomiseParam(param); });
}

void IPluginBase::RandomiseParamValues(const char* paramGroup) {
  ForParamInGroup(paramGroup, [this](int, IParam& param) { RandomiseParam(param); });
}

void IPluginBase::PrintParamValues() {
  ForParamInRange(0, NParams() - 1, [](int, IParam&) {});
}

void IPluginBase::InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFormat,
                                 double defaultValue, double min, double max, double step, const char* label,
                                 int flags, const char* group, const IParam::Shape& shape, IParam::EParamUnit unit,
                                 IParam::DisplayFunc displayFunc) {
  StrBuf name;
  ForParamInRange(startIdx, endIdx, [&](int i, IParam& param) {
    name.SetFormatted(IParam::kMaxNameLength, nameFormat, countStart + (i - startIdx));
    param.Init(name.Get(), label, flags, group, shape, unit, displayFunc, defaultValue, min, max, step);
  });
}

void IPluginBase::CopyParamValues(int srcIdx, int destIdx, int nParams) {
  if (nParams <= 0) return;
  // Walk away from an overlap so every source value is read before it is overwritten.
  const bool backwards = destIdx > srcIdx;
  for (int k = 0; k < nParams; ++k) {
    const int offset = backwards ? nParams - 1 - k : k;
    const IParam* src = GetParam(srcIdx + offset);
    IParam* dest = GetParam(destIdx + offset);
    if (src && dest) dest->Set(dest->Constrain(src->Value()));
  }
}

void IPluginBase::CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx, const char* searchStr,
                                  const char* replaceStr, const char* newGroup) {
  ForParamInRange(cloneStartIdx, cloneEndIdx, [&](int i, IParam& src) {
    IParam* dest = GetParam(startIdx + (i - cloneStartIdx));
    if (!dest || dest == &src) return;
    dest->InitFrom(src, searchStr, replaceStr, newGroup);
    dest->Set(dest->Constrain(src.Value()));
  });
}

void IPluginBase::CopyParamValuesBetweenGroups(const char* groupA, const char* groupB) {
  std::vector<int> inA;
  std::vector<int> inB;
  ForParamInGroup(groupA, [&](int i, IParam&) { inA.push_back(i); });
  ForParamInGroup(groupB, [&](int i, IParam&) { inB.push_back(i); });
  const size_t count = std::min(inA.size(), inB.size());
  for (size_t k = 0; k < count; ++k) {
    IParam* dest = GetParam(inB[k]);
    dest->Set(dest->Constrain(GetParam(inA[k])->Value()));
  }
}

}  // namespace plugkit
