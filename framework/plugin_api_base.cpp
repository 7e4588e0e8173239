#include "framework/plugin_api_base.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/utf8_text.h"
#include "framework/host_identification.h"

namespace plugkit {

namespace {

// Two parameter values match when they differ by less than this in single precision.
constexpr float kStateMatchTolerance = 1e-5f;

void SetCutName(StrBuf& name, const char* text) {
  const char* source = text ? text : "";
  name.Set(0, source, Utf8CutLength(source, IPluginAPIBase::kMaxConfigNameLength), 0);
}

}  // namespace

bool MakeSysExRecord(const ISysExMsg& msg, SysExData& record) {
  if (msg.mSize < 0 || msg.mSize > SysExData::kMaxSize) return false;
  record = SysExData{};
  record.mOffset = msg.mOffset;
  record.mSize = msg.mSize;
  if (msg.mData && msg.mSize > 0) std::memcpy(record.mData, msg.mData, static_cast<size_t>(msg.mSize));
  return true;
}

IPluginAPIBase::IPluginAPIBase(const PluginConfig& config, EAPI api)
    : IPluginBase(config.nParams, config.nPresets) {
  SetCutName(mPluginName, config.pluginName);
  SetCutName(mProductName, config.productName);
  SetCutName(mMfrName, config.mfrName);
  mVersion = config.vendorVersion;
  mUniqueID = config.uniqueID;
  mMfrID = config.mfrID;
  mHasUI = config.plugHasUI;
  mHostResize = config.plugHostResize;
  mEditorWidth = config.plugWidth;
  mEditorHeight = config.plugHeight;
  mMinWidth = std::min(config.plugMinWidth, config.plugMaxWidth);
  mMaxWidth = std::max(config.plugMinWidth, config.plugMaxWidth);
  mMinHeight = std::min(config.plugMinHeight, config.plugMaxHeight);
  mMaxHeight = std::max(config.plugMinHeight, config.plugMaxHeight);
  mStateChunks = config.plugDoesChunks;
  mAPI = api;
  mBundleID.Set(config.bundleID ? config.bundleID : "");
  mAppGroupID.Set(config.appGroupID ? config.appGroupID : "");
}

// The timer goes first: no tick may reach the members freed below.
IPluginAPIBase::~IPluginAPIBase() { StopIdleTimer(); }

// Idle timer ----------------------------------------------------------------------

void IPluginAPIBase::StartIdleTimer() {
  mTimer.reset();
  mTimer = Timer::Create([this](Timer& timer) { OnIdleTick(timer); }, kIdleTimerPeriodMs);
}

void IPluginAPIBase::StopIdleTimer() {
  mIdleTickGateOpen.store(false, std::memory_order_release);
  if (mTimer) mTimer->Stop();
}

void IPluginAPIBase::OnIdleTick(Timer&) {
  if (!mIdleTickGateOpen.load(std::memory_order_acquire)) return;

  ParamChange change;
  while (mParamChangeFromProcessor.Pop(change)) PushParamValueToEditor(change.mIdx, change.mValue, false);

  IMidiMsg msg;
  while (mMidiMsgsFromProcessor.Pop(msg)) PushMidiToEditor(msg);

  while (mSysExDataFromProcessor.ElementsAvailable() > 0) {
    SysExData record{};
    mSysExDataFromProcessor.Pop(record);
    PushSysExToEditor(ISysExMsg(record.mOffset, record.mData, record.mSize));
  }

  OnIdle();
}

// Parameters ----------------------------------------------------------------------

void IPluginAPIBase::QueueParamValueForEditor(int paramIdx, double value, bool normalized) {
  if (normalized) {
    if (const IParam* param = GetParam(paramIdx)) value = param->Constrain(param->FromNormalized(value));
  }
  mParamChangeFromProcessor.Push({paramIdx, value});
}

void IPluginAPIBase::SetParameterValue(int paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->Set(param->Constrain(param->FromNormalized(normalizedValue)));
  NotifyHostParamValue(paramIdx, normalizedValue);
  OnParamValueChanged(paramIdx, kUI, -1);
}

void IPluginAPIBase::SetParamFromEditor(int paramIdx, double normalizedValue) {
  SetParameterValue(paramIdx, normalizedValue);
  IPluginBase::SetParamFromEditor(paramIdx, normalizedValue);
}

void IPluginAPIBase::ReportAllParamValuesToHost() {
  for (int i = 0; i < NParams(); ++i) NotifyHostParamValue(i, GetParam(i)->GetNormalized());
}

bool IPluginAPIBase::StateMatches(const double* data, int startIdx) const {
  if (!data) return NParams() == 0;
  for (int i = 0; i < NParams(); ++i) {
    const auto value = static_cast<float>(GetParam(i)->Value());
    const auto stored = static_cast<float>(data[startIdx + i]);
    if (!(std::fabs(value - stored) < kStateMatchTolerance)) return false;
  }
  return true;
}

void IPluginAPIBase::ListParamIndices(int count, std::vector<int>& indices) const {
  if (count < 1 || count >= NParams()) return;
  for (int i = 0; i < count; ++i) indices.push_back(i);
}

// Editor to host ------------------------------------------------------------------

bool IPluginAPIBase::RequestEditorResize(int width, int height, bool needsPlatformResize) {
  return needsPlatformResize ? ResizeHostView(width, height) : true;
}

void IPluginAPIBase::QueueSysExFromEditor(const ISysExMsg& msg) {
  SysExData record;
  if (MakeSysExRecord(msg, record)) mSysExDataFromEditor.Push(record);
}

// Host identification ---------------------------------------------------------------

void IPluginAPIBase::IdentifyHost(const char* hostName, uint32_t hostVersion) {
  mHostName.Set(hostName ? hostName : "");
  const EHost host = LookUpHost(hostName);
  mHostVersion = static_cast<int>(hostVersion);
  mHost = host;
  OnHostIdentified();
  OnHostVersionKnown();
}

}  // namespace plugkit
