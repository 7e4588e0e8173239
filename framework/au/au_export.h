#pragma once

// Marks a C function that a plug-in library exports to hosts. Plug-in
// libraries build with hidden visibility, so only these are seen.
#define PLUGKIT_AU_EXPORT extern "C" __attribute__((visibility("default")))
