#include <AudioUnit/AUCocoaUIView.h>

// The one definition of the protocol's type information, shared by the host
// and every plug-in library that implements it.
AUCocoaUIBase::~AUCocoaUIBase() = default;
