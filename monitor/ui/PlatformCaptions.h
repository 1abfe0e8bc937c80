#pragma once

namespace kestrove {

// Captions that differ between the systems the monitor runs on; the texts themselves stay in
// MainWindowTexts.h, the platform's file picks one.

// `MWithWindows`: starting the monitor when the user logs on.
const char* StartAtLogonCaption();

}  // namespace kestrove
