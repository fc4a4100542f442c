#pragma once

// What assistive technology (screen readers, the accessibility bus) is told about the
// program's own controls, beyond what Qt tells of its standard widgets:
// - a text box reports itself read-only while it is locked and refuses text set through the
//   accessibility interface then, as it refuses the user's own edits; its name comes from
//   the caption that labels it (the label's buddy);
// - a picture button is a push button named by its lettering, with a press action that does
//   what a click does.
// Installed once, after the application object exists.
namespace platform {

void installAccessibility();

} // namespace platform
