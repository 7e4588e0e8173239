#pragma once

#include <functional>

#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "framework/api_and_host_codes.h"
#include "framework/core/param.h"
#include "framework/preset_slot.h"
#include "framework/core/state_chunk.h"
#include "graphics/graphics_editor_delegate.h"

namespace plugkit {

// The API-independent base of every plug-in: identity and configuration, the
// parameter groups, the preset slots and the default state format, which is
// one 8-byte double per parameter in index order and nothing else.
class IPluginBase : public graphics::IGEditorDelegate {
public:
  using ParamFunc = std::function<void(int paramIdx, IParam& param)>;

  IPluginBase(int nParams, int nPresets);
  ~IPluginBase() override;

  const char* GetPluginName() const { return mPluginName.Get(); }
  const char* GetProductName() const { return mProductName.Get(); }
  const char* GetMfrName() const { return mMfrName.Get(); }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool HasUI() const { return mHasUI; }
  bool GetHostResizeEnabled() const { return mHostResize; }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetAppGroupID() const { return mAppGroupID.Get(); }
  EAPI GetAPI() const { return mAPI; }
  EHost GetHost() const { return mHost; }
  const char* GetHostName() const { return mHostName.Get(); }

  // Versions are packed major << 16 | minor << 8 | patch; the decimal form is
  // major * 10000 + minor * 100 + patch.
  int GetPluginVersion(bool decimal) const { return decimal ? DecimalVersion(mVersion) : mVersion; }
  int GetHostVersion(bool decimal) const { return decimal ? DecimalVersion(mHostVersion) : mHostVersion; }
  static int DecimalVersion(int packedVersion);
  // "v<major>.<minor>.<patch>"
  void GetPluginVersionString(StrBuf& out) const { FormatVersion(mVersion, out); }
  void GetHostVersionString(StrBuf& out) const { FormatVersion(mHostVersion, out); }
  static void FormatVersion(int packedVersion, StrBuf& out);
  // The name of the API this build targets; "" for a code that names none.
  const char* GetAPIString() const { return APIName(mAPI); }
  static const char* APIName(int api);
  // The processor this build runs on.
  static const char* GetArchString();
  // The version, API and processor, and the build date and time (hh:mm).
  void GetBuildInfoString(StrBuf& out, const char* date, const char* time) const;

  // Group names are not owned; the wrapper registers them.
  int NParamGroups() const { return mParamGroups.GetSize(); }
  const char* GetParamGroupName(int index) const { return mParamGroups.Get(index); }
  int AddParamGroup(const char* name);

  // State: the defaults are the parameter-values chunk; a product overrides both.
  virtual bool WriteState(IStateChunk& chunk) { return WriteParamValues(chunk); }
  virtual int ReadState(const IStateChunk& chunk, int startPos) { return ReadParamValues(chunk, startPos); }
  // Room for what a plug-in keeps beside its state; by default nothing is
  // written and nothing read. Main thread.
  virtual bool WriteExtraState(IStateChunk&) { return true; }
  virtual int ReadExtraState(const IStateChunk&, int startPos) { return startPos; }
  virtual void OnPresetRecalled() {}

  bool WriteParamValues(IStateChunk& chunk) const;
  // The position after the values, or -1 when the chunk ends early (values
  // read until then stay applied). Non-finite values are skipped.
  int ReadParamValues(const IStateChunk& chunk, int startPos);

  void DefaultParamValues();
  void DefaultParamValues(int startIdx, int endIdx);
  void DefaultParamValues(const char* paramGroup);
  void RandomiseParamValues();
  void RandomiseParamValues(int startIdx, int endIdx);
  void RandomiseParamValues(const char* paramGroup);
  void PrintParamValues();
  // Inclusive range; indices without a parameter are skipped.
  void ForParamInRange(int startIdx, int endIdx, const ParamFunc& func);
  void ForParamInGroup(const char* paramGroup, const ParamFunc& func);
  void InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFormat, double defaultValue,
                      double min, double max, double step, const char* label = "", int flags = 0,
                      const char* group = "", const IParam::Shape& shape = IParam::ShapeLinear(),
                      IParam::EParamUnit unit = IParam::kUnitCustom, IParam::DisplayFunc displayFunc = nullptr);
  void CopyParamValues(int srcIdx, int destIdx, int nParams);
  void CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx, const char* searchStr = "",
                       const char* replaceStr = "", const char* newGroup = "");
  // Copies the k-th value of group A onto the k-th parameter of group B for
  // every k both groups have.
  void CopyParamValuesBetweenGroups(const char* groupA, const char* groupB);

  // Presets
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  bool RecallPreset(int idx);
  bool RecallPresetByName(const char* name);
  const char* GetPresetName(int idx) const;
  bool ModifyCurrentPreset(const char* newName = nullptr);
  void DropUnusedPresets();
  bool SerializePresets(IStateChunk& chunk) const;
  // The position after the list, or -1 when it ends early.
  int UnserializePresets(const IStateChunk& chunk, int startPos);

protected:
  int mCurrentPresetIdx = 0;
  bool mStateChunks = false;
  StrBuf mPluginName;
  StrBuf mProductName;
  StrBuf mMfrName;
  int mUniqueID = 0;
  int mMfrID = 0;
  int mVersion = 0;
  int mHostVersion = 0;
  EHost mHost = kHostUninit;
  StrBuf mHostName;
  EAPI mAPI = kAPIAU;
  StrBuf mBundleID;
  StrBuf mAppGroupID;
  bool mHasUI = false;
  bool mHostResize = false;
  PtrList<const char> mParamGroups;
  PtrList<IPresetSlot> mPresets;

private:
  void RandomiseParam(IParam& param);
  bool SaveStateIntoNewUserPreset(IPresetSlot& slot);
  int UnserializePresetSlot(IPresetSlot& slot, const IStateChunk& chunk, int pos);
};

}  // namespace plugkit
