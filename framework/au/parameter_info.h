#pragma once

#include <AudioUnit/AudioUnitProperties.h>

namespace plugkit {

class IPluginBase;
class IParam;

// The AudioUnit unit code of a parameter.
AudioUnitParameterUnit AUUnitOfParam(const IParam& param);

// The 1-based position of the group in the plug-in's group list, appending it
// first when it is not there yet (groups compare by content); 0 for no group.
int ClumpIDOfGroup(IPluginBase& plugin, const char* group);

// The host's description of parameter paramIdx (which must exist). The name
// string and, for a custom unit, the unit name belong to the caller.
void FillParameterInfo(IPluginBase& plugin, int paramIdx, AudioUnitParameterInfo& info);

}  // namespace plugkit
