// The component library's exported entry points, under the product's names.

#include "framework/au/au_component_entry.h"
#include "plugin/orvane.h"

PLUGKIT_AU_ENTRY_POINTS(orvane::Orvane, Orvane_Entry, Orvane_Factory, "Orvane_View")
