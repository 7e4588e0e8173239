// The component library's exported entry points and its view-factory class,
// under the product's names.

#include "framework/au/au_component_entry.h"
#include "framework/au/view_factory.h"
#include "plugin/orvane.h"

PLUGKIT_AU_ENTRY_POINTS(orvane::Orvane, Orvane_Entry, Orvane_Factory, "Orvane_View")
PLUGKIT_AU_VIEW_FACTORY(Orvane_View, "Orvane View")
