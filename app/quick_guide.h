#pragma once
// The quick guide: a topic of the compiled help file beside the executable,
// opened in the HTML Help viewer. The help library (hhctrl.ocx) is located
// once; without it every request does nothing.
#include "text/astring.h"

// The compiled help file's name in ModuleFolder.
inline constexpr const char* kQuickGuideFile = "ZhorvanGuide.chm";

// "<ModuleFolder>ZhorvanGuide.chm::/Tesmarel_Guide<S>.htm", S being "_" and the
// current language's file suffix, or nothing when it has none. The topic is
// named by its path inside the help file, from its root, as HTML Help URLs do.
AString QuickGuideTopic();

// Opens the topic for the current interface language (no owner window).
void ShowQuickGuide();
